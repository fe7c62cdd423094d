#pragma once
// Killing a process while it saves: the saving code runs in a forked child that saves again and
// again; the test kills it at a random moment and then reads the file back as the game would
// at its next start.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

namespace testing_support {

// Forks a child that runs `save(round)` for round 0, 1, 2, ... (it never returns), kills it
// after a random delay of up to `window`, and waits for it. The child tells the parent through
// a pipe once its first save finished, so every kill lands in the saving loop. The child's
// standard output goes to /dev/null.
inline void KillWhileSaving(const std::function<void(int round)>& save,
                            std::chrono::microseconds window, std::mt19937& random) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  std::fflush(stdout);  // or the child would print the parent's pending output again
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(2);
    save(0);
    const char signal = 1;
    if (write(ready[1], &signal, 1) != 1) _exit(2);
    for (int round = 1;; ++round) save(round);
  }
  close(ready[1]);
  char signal = 0;
  ASSERT_EQ(read(ready[0], &signal, 1), 1) << "the first save did not finish";
  close(ready[0]);
  std::uniform_int_distribution<long> delay(0, window.count());
  std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself";
}

}  // namespace testing_support
