// Start-up of two GUI programs side by side on an X server of the benchmark's
// own (Xvfb): each run spawns the program, waits for the MapNotify of a
// top-level window whose _NET_WM_PID is the child's, then ends it and takes
// its peak RSS from wait4. Runs alternate between the programs, so both see
// the same machine load. Header-only: used by bench_gui_startup.cpp alone.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char **environ;

struct X11StartFigures {
  double median_map_ms = -1;  // spawn to the window being mapped
  double median_rss_mb = -1;  // peak resident memory once mapped
};

class X11Server {
 public:
  // Starts Xvfb on a free display number; Ok() false when it does not come up.
  X11Server() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string fd = std::to_string(fds[1]);
    const char *argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1280x800x24", nullptr};
    if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char **>(argv), environ) != 0) pid_ = -1;
    close(fds[1]);
    char number[16] = {};
    const ssize_t got = pid_ > 0 ? read(fds[0], number, sizeof number - 1) : -1;
    close(fds[0]);
    if (got > 0) display_ = ":" + std::string(number, std::strcspn(number, "\n"));
  }
  ~X11Server() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool Ok() const { return !display_.empty(); }
  const std::string &Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// One start of `argv` on `display`, in `folder`; false when it never maps.
inline bool X11StartOnce(const std::string &display, const std::vector<std::string> &argv, const std::string &folder,
                         double &map_ms, double &rss_mb) {
  xcb_connection_t *x = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(x)) return false;
  xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, 11, "_NET_WM_PID"), nullptr);
  xcb_flush(x);

  std::vector<std::string> env = {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "HOME=" + folder,
                                  "XDG_RUNTIME_DIR=" + folder, "PATH=/usr/bin:/bin"};
  std::vector<char *> envp, args;
  for (std::string &e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_copy = argv;
  for (std::string &a : argv_copy) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // The child starts in `folder` (where the tool makes its configuration
  // file): the benchmark steps into it for the spawn and back.
  const auto start = std::chrono::steady_clock::now();
  pid_t child = -1;
  char *old_cwd = getcwd(nullptr, 0);
  if (chdir(folder.c_str()) != 0 || posix_spawn(&child, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
    child = -1;
  }
  if (old_cwd != nullptr && chdir(old_cwd) != 0) child = -1;
  std::free(old_cwd);
  posix_spawn_file_actions_destroy(&actions);
  bool mapped = false;
  while (child > 0 && !mapped) {
    xcb_generic_event_t *event = xcb_wait_for_event(x);
    if (event == nullptr) break;
    if ((event->response_type & ~0x80) == XCB_MAP_NOTIFY && atom != nullptr) {
      const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
      xcb_get_property_reply_t *prop = xcb_get_property_reply(
          x, xcb_get_property(x, 0, map->window, atom->atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
      if (prop != nullptr && xcb_get_property_value_length(prop) == 4 &&
          *static_cast<uint32_t *>(xcb_get_property_value(prop)) == static_cast<uint32_t>(child)) {
        mapped = true;
      }
      std::free(prop);
    }
    std::free(event);
  }
  map_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (child > 0) {
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    rss_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  }
  std::free(atom);
  xcb_disconnect(x);
  return mapped;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// `rounds` starts of each program, alternating; figures per program.
inline std::vector<X11StartFigures> X11SideBySide(const std::string &display,
                                                  const std::vector<std::vector<std::string>> &programs,
                                                  const std::string &folder, int rounds) {
  std::vector<std::vector<double>> maps(programs.size()), rss(programs.size());
  for (int round = 0; round < rounds; ++round) {
    for (size_t p = 0; p < programs.size(); ++p) {
      double map_ms = 0, rss_mb = 0;
      if (X11StartOnce(display, programs[p], folder, map_ms, rss_mb)) {
        maps[p].push_back(map_ms);
        rss[p].push_back(rss_mb);
      }
    }
  }
  std::vector<X11StartFigures> figures(programs.size());
  for (size_t p = 0; p < programs.size(); ++p) figures[p] = {Median(maps[p]), Median(rss[p])};
  return figures;
}
