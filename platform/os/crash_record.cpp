#include "platform/os/crash_record.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <exception>

namespace os {
namespace {

constexpr std::size_t kPathCapacity = 4096;
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Everything the handler reads is prepared at installation: no allocation at crash time.
char g_folder[kPathCapacity];
char g_prefix[256];
long g_utcOffsetSeconds = 0;
volatile sig_atomic_t g_recordStarted = 0;
alignas(16) std::array<char, 1 << 16> g_alternateStack;

// A fixed text buffer with async-signal-safe appends; text beyond its capacity is dropped.
class SafeText {
 public:
  void Append(const char* text) {
    while (*text != '\0' && length_ + 1 < sizeof(buffer_)) buffer_[length_++] = *text++;
    buffer_[length_] = '\0';
  }
  void AppendUnsigned(std::uint64_t value, int minDigits = 1) {
    char digits[24];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0 || count < minDigits);
    char reversed[24];
    for (int i = 0; i < count; ++i) reversed[i] = digits[count - 1 - i];
    reversed[count] = '\0';
    Append(reversed);
  }
  void AppendHex(std::uintptr_t value) {
    char digits[2 + 2 * sizeof(value) + 1] = "0x";
    for (std::size_t i = 0; i < 2 * sizeof(value); ++i) {
      digits[2 + i] = "0123456789abcdef"[(value >> (4 * (2 * sizeof(value) - 1 - i))) & 0xF];
    }
    digits[sizeof(digits) - 1] = '\0';
    Append(digits);
  }
  const char* Text() const { return buffer_; }
  std::size_t Length() const { return length_; }

 private:
  char buffer_[kPathCapacity + 512] = {};
  std::size_t length_ = 0;
};

void WriteAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, data, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    data += written;
    length -= static_cast<std::size_t>(written);
  }
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGSEGV:
      return "SIGSEGV";
    case SIGBUS:
      return "SIGBUS";
    case SIGFPE:
      return "SIGFPE";
    case SIGILL:
      return "SIGILL";
    case SIGABRT:
      return "SIGABRT";
    default:
      return "signal";
  }
}

// Appends the local time as "%d-%m-%Y %H-%M-%S" without localtime (not async-signal-safe):
// the UTC offset was taken at installation.
void AppendLocalTime(SafeText& text) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t seconds = static_cast<std::int64_t>(now.tv_sec) + g_utcOffsetSeconds;
  std::int64_t days = seconds / 86400;
  std::int64_t secondOfDay = seconds % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

  text.AppendUnsigned(static_cast<std::uint64_t>(day), 2);
  text.Append("-");
  text.AppendUnsigned(static_cast<std::uint64_t>(month), 2);
  text.Append("-");
  text.AppendUnsigned(static_cast<std::uint64_t>(year), 4);
  text.Append(" ");
  text.AppendUnsigned(static_cast<std::uint64_t>(secondOfDay / 3600), 2);
  text.Append("-");
  text.AppendUnsigned(static_cast<std::uint64_t>(secondOfDay / 60 % 60), 2);
  text.Append("-");
  text.AppendUnsigned(static_cast<std::uint64_t>(secondOfDay % 60), 2);
}

void WriteRecord(int signal, const void* faultAddress, const char* exceptionText) {
  SafeText base;
  base.Append(g_folder);
  base.Append("/");
  base.Append(g_prefix);
  AppendLocalTime(base);
  const int fd = CreateUniqueCrashFile(base.Text());
  if (fd < 0) return;

  SafeText record;
  record.Append("Kelvaris crash record\nTime: ");
  AppendLocalTime(record);
  record.Append("\nSignal: ");
  record.AppendUnsigned(static_cast<std::uint64_t>(signal));
  record.Append(" (");
  record.Append(SignalName(signal));
  record.Append(")\nFault address: ");
  record.AppendHex(reinterpret_cast<std::uintptr_t>(faultAddress));
  record.Append("\nException: ");
  record.Append(exceptionText != nullptr ? exceptionText : "none");
  record.Append("\nBacktrace:\n");
  WriteAll(fd, record.Text(), record.Length());

  void* frames[64];
  const int frameCount = backtrace(frames, 64);
  backtrace_symbols_fd(frames, frameCount, fd);
  close(fd);
}

void OnFatalSignal(int signal, siginfo_t* info, void*) {
  if (g_recordStarted == 0) {
    g_recordStarted = 1;
    WriteRecord(signal, info != nullptr ? info->si_addr : nullptr, nullptr);
  }
  // Die by the same signal: with the default action restored, the signal raised here is
  // delivered as soon as the handler returns (a hardware fault also simply repeats).
  std::signal(signal, SIG_DFL);
  raise(signal);
}

void OnTerminate() {
  const char* what = "unknown exception";
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& exception) {
      what = exception.what();
    } catch (...) {
    }
  } else {
    what = "std::terminate called without an active exception";
  }
  if (g_recordStarted == 0) {
    g_recordStarted = 1;
    WriteRecord(SIGABRT, nullptr, what);
  }
  std::abort();
}

void CopyText(char* destination, std::size_t capacity, const std::string& source) {
  const std::size_t length = source.size() < capacity - 1 ? source.size() : capacity - 1;
  std::memcpy(destination, source.data(), length);
  destination[length] = '\0';
}

}  // namespace

int CreateUniqueCrashFile(const char* basePath) {
  for (unsigned attempt = 1; attempt <= 1000; ++attempt) {
    SafeText path;
    path.Append(basePath);
    if (attempt > 1) {
      path.Append(" (");
      path.AppendUnsigned(attempt);
      path.Append(")");
    }
    path.Append(".dmp");
    const int fd = open(path.Text(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

void InstallCrashRecorder(const std::string& folder, const std::string& filePrefix) {
  CopyText(g_folder, sizeof(g_folder), folder);
  CopyText(g_prefix, sizeof(g_prefix), filePrefix);
  g_recordStarted = 0;

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr) g_utcOffsetSeconds = local.tm_gmtoff;

  // The first backtrace call loads the unwinder; do it now rather than inside a handler.
  void* frame = nullptr;
  backtrace(&frame, 1);

  stack_t alternate{};
  alternate.ss_sp = g_alternateStack.data();
  alternate.ss_size = g_alternateStack.size();
  sigaltstack(&alternate, nullptr);

  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : kFatalSignals) sigaction(signal, &action, nullptr);

  std::set_terminate(OnTerminate);
}

}  // namespace os
