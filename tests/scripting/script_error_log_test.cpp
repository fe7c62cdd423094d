#include "scripting/script_error_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using ::testing::HasSubstr;

std::string Report(const std::string& file, const std::string& error) {
  return "[**LUA ERROR**]\nIN FILE: " + file + "\nERROR: " + error + "\n";
}

TEST(ScriptErrorLogTest, ARepeatingErrorIsPrintedOnceThenCountedEveryFewSeconds) {
  std::ostringstream out;
  ScriptErrorLog log(out);
  const std::string error = "move.lua:3: attempt to index a nil value\nstack traceback:\n\t...";
  // One error a frame for twelve seconds at 60 frames a second.
  for (int frame = 0; frame < 720; ++frame) {
    const double now = frame / 60.0;
    log.PrintDueCounts(now);
    log.Report("hero->move", error, now);
  }
  const std::string countLine = "move.lua:3: attempt to index a nil value";
  EXPECT_EQ(out.str(),
            Report("hero->move", error) +
                Report("hero->move", "repeated 299 more times since its report: " + countLine) +
                Report("hero->move", "repeated 300 more times since its report: " + countLine));
  out.str("");
  log.PrintDueCounts(100.0);
  EXPECT_EQ(out.str(),
            Report("hero->move", "repeated 120 more times since its report: " + countLine))
      << "a count still waiting comes once its time is due";
  out.str("");
  log.PrintDueCounts(200.0);
  EXPECT_EQ(out.str(), "") << "nothing waits";
}

TEST(ScriptErrorLogTest, DifferentErrorsAndFilesArePrintedEach) {
  std::ostringstream out;
  ScriptErrorLog log(out);
  log.Report("hero->move", "a", 0.0);
  log.Report("hero->jump", "a", 0.0);
  log.Report("hero->move", "b", 0.0);
  log.Report("hero->move", "a", 0.1);
  EXPECT_EQ(out.str(),
            Report("hero->move", "a") + Report("hero->jump", "a") + Report("hero->move", "b"));

  // Forgetting prints what waits and starts afresh: the next report is printed whole.
  out.str("");
  log.Forget();
  EXPECT_EQ(out.str(), Report("hero->move", "repeated 1 more time since its report: a"));
  out.str("");
  log.Report("hero->move", "a", 0.2);
  EXPECT_EQ(out.str(), Report("hero->move", "a"));
}

TEST(ScriptErrorLogTest, ErrorsThatNeverRepeatAreNotKeptWithoutBound) {
  std::ostringstream out;
  ScriptErrorLog log(out);
  for (int value = 0; value < 10'000; ++value) {
    log.Report("hero->move", "bad value " + std::to_string(value), 0.0);
  }
  log.Report("hero->move", "bad value 9999", 0.0);
  log.Forget();
  EXPECT_THAT(out.str(), HasSubstr("ERROR: bad value 9999\n"));
  EXPECT_THAT(out.str(), HasSubstr("repeated 1 more time since its report: bad value 9999"))
      << "the newest reports are still known";
}

}  // namespace
