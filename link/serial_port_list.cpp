// The serial ports of this machine, from sysfs: every tty with a device
// behind it. Legacy 8250 UART slots exist whether or not a chip answers, so
// those count only when the driver reports a real UART type (newer kernels
// name that driver "port").
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <string>

#include "base/dtu_log.h"
#include "link/dtu_cmd_port.h"

namespace {

std::string LinkTarget(const std::string &path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return std::string();
  return resolved;
}

std::string BaseName(const std::string &path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// /dev/ttyUSB0 -> /dev/serial/by-id/usb-FTDI_..., for the ports that have one.
std::map<std::string, std::string> ByIdNames() {
  std::map<std::string, std::string> names;
  const std::string dir = "/dev/serial/by-id";
  DIR *d = opendir(dir.c_str());
  if (d == nullptr) return names;
  while (dirent *entry = readdir(d)) {
    if (entry->d_name[0] == '.') continue;
    std::string link = dir + "/" + entry->d_name;
    std::string target = LinkTarget(link);
    if (!target.empty()) names[target] = link;
  }
  closedir(d);
  return names;
}

bool Is8250WithoutChip(const std::string &device_path) {
  int fd = ::open(device_path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return true;
  serial_struct info{};
  bool absent = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type == PORT_UNKNOWN;
  ::close(fd);
  return absent;
}

}  // namespace

std::vector<DtuPortInfo> DtuListSerialPorts() {
  std::vector<DtuPortInfo> ports;
  const std::string sys_tty = "/sys/class/tty";
  DIR *d = opendir(sys_tty.c_str());
  if (d == nullptr) {
    DTU_LOG("opendir %s error.", sys_tty.c_str());
    return ports;
  }
  const auto by_id = ByIdNames();
  while (dirent *entry = readdir(d)) {
    if (entry->d_name[0] == '.') continue;
    const std::string name = entry->d_name;
    const std::string device_dir = sys_tty + "/" + name + "/device";
    if (access(device_dir.c_str(), F_OK) != 0) continue;  // virtual console, pty, ...
    const std::string driver = BaseName(LinkTarget(device_dir + "/driver"));
    const std::string path = "/dev/" + name;
    if ((driver == "serial8250" || driver == "port") && Is8250WithoutChip(path)) continue;
    auto found = by_id.find(path);
    // Not logged here: the list is polled, its owner logs it when it changes.
    ports.push_back({path, found != by_id.end() ? found->second : driver});
  }
  closedir(d);
  std::sort(ports.begin(), ports.end(), [](const DtuPortInfo &a, const DtuPortInfo &b) { return a.path < b.path; });
  return ports;
}
