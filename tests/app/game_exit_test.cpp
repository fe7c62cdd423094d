// The game as a player starts it (the kelvaris executable, in a window of an X server of the
// test's own), ended in ways other than the close button: a start-up that fails part way, a
// menu style sheet linked to a file without end, and the display going away under the running
// game. Each ends in the normal order, without a crash record.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "tests/support/private_display.h"
#include "tests/support/temp_folder.h"
// Xlib last: its macros break other headers.
#include <X11/Xlib.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using testing_support::PrivateDisplay;
using testing_support::TempFolder;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// True once a window titled "Kelvaris" is on the display.
bool GameWindowShown(const std::string& display) {
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr) return false;
  bool found = false;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count) !=
      0) {
    for (unsigned i = 0; i < count && !found; ++i) {
      char* name = nullptr;
      if (XFetchName(connection, children[i], &name) != 0 && name != nullptr) {
        found = std::string(name) == "Kelvaris";
        XFree(name);
      }
    }
    if (children != nullptr) XFree(children);
  }
  XCloseDisplay(connection);
  return found;
}

// The kelvaris executable run in `folder` (which holds GAME/ or a link to it) with a home of
// its own, in a window, its output kept in a file.
class GameProcess {
 public:
  GameProcess(const std::filesystem::path& folder, const std::string& display)
      : output(home.path / "output.txt") {
    const std::filesystem::path settings = home.path / "data/Corvane/Kelvaris";
    std::filesystem::create_directories(settings);
    std::ofstream(settings / "settings.json")
        << R"({"Fullscreen": false, "WindowedResolution.X": 640, "WindowedResolution.Y": 360})";
    std::vector<std::string> variables = {"HOME=" + home.path.string(),
                                          "XDG_DATA_HOME=" + (home.path / "data").string(),
                                          "DISPLAY=" + display, "KELVARIS_AUDIO_OUTPUT=loopback",
                                          // Mesa keeps its allocations until exit.
                                          "ASAN_OPTIONS=detect_leaks=0:allow_user_segv_handler=1"};
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string text = *variable;
      const std::string name = text.substr(0, text.find('='));
      if (name != "HOME" && name != "XDG_DATA_HOME" && name != "XDG_CONFIG_HOME" &&
          name != "DISPLAY" && name != "KELVARIS_AUDIO_OUTPUT" && name != "ASAN_OPTIONS")
        variables.push_back(text);
    }
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    char* arguments[] = {const_cast<char*>(KELVARIS_EXECUTABLE), nullptr};
    if (posix_spawn(&pid, KELVARIS_EXECUTABLE, &actions, nullptr, arguments, environment.data()) !=
        0)
      pid = 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~GameProcess() {
    if (pid > 0 && !ended) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  // Waits up to `limit` for the window to show; false if the game ended or never showed it.
  bool WaitForWindow(const std::string& display, std::chrono::seconds limit) {
    for (auto waited = 0ms; waited < limit; waited += 200ms) {
      if (GameWindowShown(display)) return true;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        ended = true;
        return false;
      }
      std::this_thread::sleep_for(200ms);
    }
    return false;
  }

  // Waits up to `limit` for the game to end; false if it still runs.
  bool WaitForEnd(std::chrono::seconds limit) {
    for (auto waited = 0ms; waited < limit && !ended; waited += 100ms) {
      ended = waitpid(pid, &status, WNOHANG) == pid;
      if (!ended) std::this_thread::sleep_for(100ms);
    }
    return ended;
  }

  bool EndedNormally() const { return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

  std::vector<std::filesystem::path> CrashRecords() const {
    std::vector<std::filesystem::path> records;
    const std::filesystem::path folder = home.path / "data/Corvane/Kelvaris/CrashLogs";
    if (std::filesystem::is_directory(folder))
      for (const auto& entry : std::filesystem::directory_iterator(folder))
        records.push_back(entry.path());
    return records;
  }

  std::string Output() const { return ReadText(output); }

  TempFolder home;
  std::filesystem::path output;
  pid_t pid = 0;
  int status = 0;
  bool ended = false;
};

// Start-up fails once the window, the render context and every system exist (the game is built
// as it starts, then given up): what was built is taken down in the normal order, and the exit
// that follows destroys nothing that is still in use.
TEST(GameExit, AStartThatFailsPartWayIsTakenDownAndExitsWithoutACrashRecord) {
  PrivateDisplay display;
  ASSERT_FALSE(display.name.empty());
  TempFolder home;
  std::fflush(stdout);  // or the child would print the parent's pending output again
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (std::freopen((home.path / "output.txt").c_str(), "w", stdout) == nullptr) _exit(2);
    setenv("HOME", home.path.c_str(), 1);
    setenv("XDG_DATA_HOME", (home.path / "data").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("DISPLAY", display.name.c_str(), 1);
    setenv("KELVARIS_AUDIO_OUTPUT", "loopback", 1);
    PrepareProcess(GetCrashFolder());
    CreateUserFolders();
    StartEngine();
    AbandonStart();
    std::exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << "\n"
                                                             << ReadText(home.path / "output.txt");
  const std::filesystem::path crashes = home.path / "data/Corvane/Kelvaris/CrashLogs";
  ASSERT_TRUE(std::filesystem::is_directory(crashes));
  EXPECT_TRUE(std::filesystem::is_empty(crashes));
}

// A copy of the game's data whose main menu links its style sheet to /dev/zero: the sheet is
// refused at the size ceiling with its name, the game runs on, and a termination request
// closes it as the close button does.
TEST(GameExit, AMenuStyleSheetWithoutEndIsRefusedAndTheGameClosesNormally) {
  PrivateDisplay display;
  ASSERT_FALSE(display.name.empty());
  TempFolder data;
  std::filesystem::copy(KELVARIS_SOURCE_DIR "/GAME", data.path / "GAME",
                        std::filesystem::copy_options::recursive);
  const std::filesystem::path menu = data.path / "GAME/Assets/RML/main_menu.rml";
  std::string text = ReadText(menu);
  const size_t link = text.find("href=\"main_menu.rcss\"");
  ASSERT_NE(link, std::string::npos);
  text.replace(link, 21, "href=\"/dev/zero\"");
  std::ofstream(menu) << text;

  GameProcess game(data.path, display.name);
  ASSERT_TRUE(game.WaitForWindow(display.name, 60s)) << game.Output();
  std::this_thread::sleep_for(2s);
  kill(game.pid, SIGTERM);
  ASSERT_TRUE(game.WaitForEnd(60s));
  EXPECT_TRUE(game.EndedNormally()) << game.status << "\n" << game.Output();
  EXPECT_NE(game.Output().find(
                "cannot read style sheet '/dev/zero': the file is larger than 8388608 bytes"),
            std::string::npos)
      << game.Output();
  EXPECT_TRUE(game.CrashRecords().empty())
      << (game.CrashRecords().empty() ? "" : ReadText(game.CrashRecords()[0]));
  EXPECT_TRUE(std::filesystem::exists(game.home.path / "data/Corvane/Kelvaris/settings.json"));
}

// The X server stops under the running game: the game sees the broken connection, saves the
// settings, takes everything down in order and exits with status 1.
TEST(GameExit, TheDisplayGoingAwayClosesTheGameInTheNormalOrder) {
  auto display = std::make_unique<PrivateDisplay>();
  ASSERT_FALSE(display->name.empty());
  const std::string name = display->name;
  GameProcess game(KELVARIS_SOURCE_DIR, name);
  ASSERT_TRUE(game.WaitForWindow(name, 60s)) << game.Output();
  std::this_thread::sleep_for(2s);
  std::filesystem::remove(game.home.path / "data/Corvane/Kelvaris/settings.json");
  display.reset();
  ASSERT_TRUE(game.WaitForEnd(60s));
  EXPECT_TRUE(WIFEXITED(game.status) && WEXITSTATUS(game.status) == 1) << game.status << "\n"
                                                                       << game.Output();
  EXPECT_NE(game.Output().find("Kelvaris: the connection to the display was lost; the game closes"),
            std::string::npos)
      << game.Output();
  EXPECT_TRUE(game.CrashRecords().empty())
      << (game.CrashRecords().empty() ? "" : ReadText(game.CrashRecords()[0]));
  EXPECT_TRUE(std::filesystem::exists(game.home.path / "data/Corvane/Kelvaris/settings.json"));
}

}  // namespace
