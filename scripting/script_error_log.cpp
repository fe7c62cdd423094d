#include "scripting/script_error_log.h"

void ScriptErrorLog::Print(std::string_view file, std::string_view error) {
  out_ << "[**LUA ERROR**]\nIN FILE: " << file << "\nERROR: " << error << std::endl;
}

void ScriptErrorLog::PrintCount(Remembered& report, double now) {
  const std::string_view error(report.error);
  std::string line = "repeated " + std::to_string(report.repeats) +
                     (report.repeats == 1 ? " more time" : " more times") + " since its report: ";
  line += error.substr(0, error.find('\n'));
  Print(report.file, line);
  report.repeats = 0;
  report.printedAt = now;
}

void ScriptErrorLog::Report(std::string_view file, std::string_view error, double now) {
  std::string key(file);
  key += '\0';
  key += error;
  const auto known = reports_.find(key);
  if (known != reports_.end()) {
    Remembered& report = known->second;
    ++report.repeats;
    if (now - report.printedAt >= kRepeatInterval) PrintCount(report, now);
    return;
  }
  if (reports_.size() >= kMaxRemembered) Forget();
  reports_.emplace(std::move(key), Remembered{std::string(file), std::string(error), now, 0});
  Print(file, error);
}

void ScriptErrorLog::PrintDueCounts(double now) {
  for (auto& [key, report] : reports_) {
    if (report.repeats > 0 && now - report.printedAt >= kRepeatInterval) PrintCount(report, now);
  }
}

void ScriptErrorLog::Forget() {
  for (auto& [key, report] : reports_) {
    if (report.repeats > 0) PrintCount(report, report.printedAt);
  }
  reports_.clear();
}
