// A real mosquitto broker for tests and the platform simulator: started on a
// free loopback port with its own temporary configuration, stopped by its
// process id (never by name).
#pragma once

#include <string>
#include <sys/types.h>

class MosquittoBroker {
 public:
  MosquittoBroker() = default;
  ~MosquittoBroker();
  MosquittoBroker(const MosquittoBroker &) = delete;
  MosquittoBroker &operator=(const MosquittoBroker &) = delete;

  // Starts the broker and waits until it accepts connections. port 0 picks a
  // free loopback port; a given port is reused (a broker restarted after
  // Stop()). Returns false with error_text on failure.
  bool Start(int port = 0);
  // Stops the broker by its process id (SIGTERM, then SIGKILL after 3 s).
  // The temporary folder stays until destruction so a restart can reuse it.
  void Stop();

  bool Running() const { return pid_ > 0; }
  int Port() const { return port_; }
  const std::string &Host() const { return host_; }
  pid_t Pid() const { return pid_; }
  const std::string &ErrorText() const { return error_text_; }
  // The broker's own log (useful when a test fails).
  std::string LogText() const;

  // A TCP port on 127.0.0.1 that was free a moment ago.
  static int FreeLoopbackPort();
  // Path of the mosquitto program, or empty when it is not installed.
  static std::string FindExecutable();

 private:
  bool EnsureTempDir();
  bool WriteConfig(int port);
  bool Launch(const std::string &exe);
  bool WaitReady(int timeout_ms);

  std::string host_ = "127.0.0.1";
  std::string dir_;
  std::string error_text_;
  pid_t pid_ = -1;
  int port_ = 0;
};
