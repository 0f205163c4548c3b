// serial-term: a terminal on a new pseudo-terminal, for trying the tool's
// serial side by hand. It prints the path of the other end (the port a
// program such as the configure tool opens), sends every line typed on
// standard input with CR LF, and prints what comes back: CR LF as a line end,
// other control bytes as \xNN. Ends at the end of input or on Ctrl-C.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/serial_termios.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnStop(int) { g_stop = 1; }

void PrintUsage() {
  printf(
      "usage: serial-term [--link PATH]\n"
      "  Opens a pseudo-terminal, prints the path of its other end, sends each\n"
      "  typed line with CR LF and prints what comes back. --link PATH: a\n"
      "  symlink to that path (removed at the end).\n");
}

// What the other side sent, readable on a terminal.
std::string Readable(const char *data, size_t length, bool &after_cr) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char byte = static_cast<unsigned char>(data[i]);
    if (byte == '\n') {
      text += '\n';
    } else if (byte != '\r' && (byte < 0x20 || byte == 0x7F)) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    } else if (byte != '\r') {
      if (after_cr) text += "\\r";  // a CR on its own
      text += static_cast<char>(byte);
    }
    after_cr = byte == '\r';
  }
  return text;
}

bool WriteAll(int fd, const std::string &bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Relays until the input ends or a stop signal comes.
void Relay(int master) {
  std::string typed;
  bool after_cr = false;
  char buffer[4096];
  while (!g_stop) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {master, POLLIN, 0}};
    if (poll(fds, 2, 200) < 0) continue;
    if (fds[1].revents & POLLIN) {
      ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) {
        fputs(Readable(buffer, static_cast<size_t>(n), after_cr).c_str(), stdout);
        fflush(stdout);
      }
    }
    if (fds[0].revents & (POLLIN | POLLHUP)) {
      ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) return;
      typed.append(buffer, static_cast<size_t>(n));
      for (size_t end = typed.find('\n'); end != std::string::npos; end = typed.find('\n')) {
        WriteAll(master, typed.substr(0, end) + "\r\n");
        typed.erase(0, end + 1);
      }
    }
  }
}

}  // namespace

int main(int argc, char **argv) {
  std::string link_path;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--link") == 0 && i + 1 < argc) {
      link_path = argv[++i];
    } else {
      PrintUsage();
      return strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0 ? 0 : 2;
    }
  }
  int master = -1, slave = -1;
  char slave_path[256] = {0};
  if (openpty(&master, &slave, slave_path, nullptr, nullptr) != 0) {
    fprintf(stderr, "serial-term: no pseudo-terminal: %s\n", strerror(errno));
    return 1;
  }
  // Both ends raw: bytes pass unchanged. The slave stays open here so that the
  // master reads nothing but data while no program has the port open.
  DtuTermiosMakeRaw(master);
  DtuTermiosMakeRaw(slave);
  if (!link_path.empty()) {
    unlink(link_path.c_str());
    if (symlink(slave_path, link_path.c_str()) != 0) {
      fprintf(stderr, "serial-term: cannot create link %s: %s\n", link_path.c_str(), strerror(errno));
      return 1;
    }
  }
  signal(SIGINT, OnStop);
  signal(SIGTERM, OnStop);
  printf("%s\n", slave_path);
  fflush(stdout);
  Relay(master);
  if (!link_path.empty()) unlink(link_path.c_str());
  close(slave);
  close(master);
  return 0;
}
