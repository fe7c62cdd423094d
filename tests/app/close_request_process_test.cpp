// The game as a player runs it, in a process of its own, with a script whose `update` never
// returns: Ctrl+C (SIGINT) must still close it, through the normal shutdown.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/private_display.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Starts the game in `root` (which holds its GAME folder) with a home of its own there; its
// standard output and error go to root/out.txt and root/err.txt.
pid_t StartGame(const std::filesystem::path& root) {
  const std::string home = (root / "home").string();
  const std::string out = (root / "out.txt").string();
  const std::string err = (root / "err.txt").string();
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child != 0) return child;
  if (chdir(root.c_str()) != 0) _exit(120);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("KELVARIS_AUDIO_OUTPUT", "loopback", 1);
  // The driver keeps memory until exit; the sanitizer build must not count it as a leak.
  setenv("ASAN_OPTIONS", "allow_user_segv_handler=1:detect_leaks=0", 1);
  const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (outFile < 0 || errFile < 0 || dup2(outFile, 1) < 0 || dup2(errFile, 2) < 0) _exit(121);
  execl(KELVARIS_EXECUTABLE, KELVARIS_EXECUTABLE, static_cast<char*>(nullptr));
  _exit(122);
}

// Waits up to `seconds` for the process to end; its wait status, or -1 when it did not end.
int WaitForExit(pid_t child, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

TEST(CloseRequestProcessTest, CtrlCEndsAGameWhoseScriptNeverReturns) {
  ASSERT_TRUE(testing_support::UsePrivateDisplay());
  testing_support::TempFolder root;
  std::filesystem::copy("GAME", root.path / "GAME", std::filesystem::copy_options::recursive);
  // The first scene's director loops for ever in its first update.
  std::ofstream(root.path / "GAME/Scripts/splash_scene.lua", std::ios::trunc)
      << "return { update = function(dt) while true do end end }\n";
  const std::filesystem::path settings = root.path / "home/data/Corvane/Kelvaris";
  std::filesystem::create_directories(settings);
  std::ofstream(settings / "settings.json")
      << R"({"Fullscreen": false, "WindowedResolution.X": 320, "WindowedResolution.Y": 180})";

  const pid_t game = StartGame(root.path);
  ASSERT_GT(game, 0);
  // The game is stuck once its first update has begun: wait for the script's first report.
  std::string output;
  for (int poll = 0; poll < 1200 && output.find("[**LUA ERROR**]") == std::string::npos; ++poll) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    output = ReadFile(root.path / "out.txt");
    if (waitpid(game, nullptr, WNOHANG) == game) break;
  }
  EXPECT_THAT(output, HasSubstr("[**LUA ERROR**]\nIN FILE: "));
  EXPECT_THAT(output, HasSubstr("the script was stopped after 10000000 instructions"));

  kill(game, SIGINT);
  const int status = WaitForExit(game, 60);
  if (status == -1) {
    kill(game, SIGKILL);
    waitpid(game, nullptr, 0);
    FAIL() << "the game did not close after Ctrl+C\n" << ReadFile(root.path / "out.txt");
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status << "\n"
                                                             << ReadFile(root.path / "err.txt");
}

}  // namespace
