#pragma once
// ScriptErrorLog: prints script error reports so that an error repeating every frame does not
// flood the log.
//
//   ScriptErrorLog log(std::cout);
//   log.Report("hero->move", "move.lua:3: attempt to index a nil value ...", now);  // printed
//   log.Report("hero->move", "move.lua:3: attempt to index a nil value ...", now);  // counted
//   log.PrintDueCounts(now + 5);   // "... ERROR: repeated 1 more time since its report: ..."
//
// A report is the file text (what failed: "<alias>-><script>") and the error text (message and
// traceback). The first time a report comes, it is printed whole:
//   [**LUA ERROR**]
//   IN FILE: <file>
//   ERROR: <error>
// The same report again (same file and error text) is only counted. At most once every
// kRepeatInterval seconds per report, a count of the repeats since it was last printed is
// printed in the same form, its ERROR line being "repeated <n> more time(s) since its report: "
// and the error's first line. Forget prints the counts still waiting and forgets every report,
// so the next one is printed whole again. Times are in seconds of a clock that never goes back.

#include <cstddef>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

class ScriptErrorLog {
 public:
  // The shortest time between two count lines of one report, in seconds.
  static constexpr double kRepeatInterval = 5.0;
  // Reports remembered at most; past it, the counts are printed and all are forgotten.
  static constexpr std::size_t kMaxRemembered = 256;

  explicit ScriptErrorLog(std::ostream& out) : out_(out) {}

  // Prints the report, or counts it when it was printed before; flushes what it prints.
  void Report(std::string_view file, std::string_view error, double now);
  // Prints the count of every report that has repeats waiting and whose last line is at least
  // kRepeatInterval old.
  void PrintDueCounts(double now);
  // Prints every waiting count and forgets all reports.
  void Forget();

 private:
  struct Remembered {
    std::string file;
    std::string error;
    double printedAt = 0.0;
    long long repeats = 0;  // since the last line printed for it
  };

  void Print(std::string_view file, std::string_view error);
  void PrintCount(Remembered& report, double now);

  std::ostream& out_;
  // Keyed by file text, a NUL and the error text.
  std::map<std::string, Remembered> reports_;
};
