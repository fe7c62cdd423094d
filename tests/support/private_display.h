#pragma once
// An X server of the test's own: Xvfb with one 1280 x 720 screen, started on first use and
// stopped when the process ends. A replayed recording ends at the first live input, so a game
// test that replays one must not share the display's pointer and focus with other tests (a
// window opened, focused or given a locked cursor elsewhere moves the pointer).
//
//   ASSERT_TRUE(testing_support::UsePrivateDisplay());  // DISPLAY now names the private server

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace testing_support {

class PrivateDisplay {
 public:
  PrivateDisplay() { Start(); }
  ~PrivateDisplay() {
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
  }
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

  // ":N", empty when the server did not start.
  std::string name;

 private:
  void Start() {
    int ends[2];
    if (pipe(ends) != 0) return;
    // The server writes its display number to the pipe once it takes connections.
    const std::string fd = std::to_string(ends[1]);
    const char* arguments[] = {"Xvfb",        "-displayfd", fd.c_str(), "-screen",  "0",
                               "1280x720x24", "-nolisten",  "tcp",      "-noreset", nullptr};
    fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    const int spawned = posix_spawnp(&server, "Xvfb", nullptr, nullptr,
                                     const_cast<char* const*>(arguments), environ);
    close(ends[1]);
    if (spawned != 0) {
      server = 0;
      close(ends[0]);
      return;
    }
    std::string number;
    pollfd waiting{ends[0], POLLIN, 0};
    char c = 0;
    while (poll(&waiting, 1, 10000) > 0 && read(ends[0], &c, 1) == 1 && c != '\n') number += c;
    close(ends[0]);
    if (!number.empty()) name = ":" + number;
  }

  pid_t server = 0;
};

// Points DISPLAY at the process's private server; false when it could not be started.
inline bool UsePrivateDisplay() {
  static PrivateDisplay display;
  if (display.name.empty()) return false;
  setenv("DISPLAY", display.name.c_str(), 1);
  return true;
}

}  // namespace testing_support
