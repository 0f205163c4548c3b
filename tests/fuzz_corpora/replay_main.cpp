// Runs every file of the given corpus folders through LLVMFuzzerTestOneInput,
// as libFuzzer would run a corpus, and fails when a folder holds no file.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

int ReplayFolder(const std::string &folder) {
  DIR *dir = opendir(folder.c_str());
  if (!dir) {
    std::fprintf(stderr, "cannot open corpus %s\n", folder.c_str());
    return -1;
  }
  int count = 0;
  while (dirent *entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream in(folder + "/" + entry->d_name, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    ++count;
  }
  closedir(dir);
  return count;
}

}  // namespace

int main(int argc, char **argv) {
  int total = 0;
  for (int i = 1; i < argc; ++i) {
    int count = ReplayFolder(argv[i]);
    if (count <= 0) return 1;
    total += count;
  }
  std::printf("replayed %d inputs\n", total);
  return total > 0 ? 0 : 1;
}
