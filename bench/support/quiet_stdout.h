#pragma once
// Silences standard output for the life of the object: engine set-up logs a line per system and
// component type, which would bury the benchmark report.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    savedStdout = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, STDOUT_FILENO);
      close(devNull);
    }
  }
  ~QuietStdout() {
    std::fflush(stdout);
    if (savedStdout >= 0) {
      dup2(savedStdout, STDOUT_FILENO);
      close(savedStdout);
    }
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int savedStdout = -1;
};
