#pragma once
// Crash records: a text file written when the process dies of a fatal signal (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT) or of an exception that reaches std::terminate.
//
// Use: call InstallCrashRecorder once at start-up, after the crash folder exists. A record holds
// the signal, the fault address, the exception text (for std::terminate) and a backtrace, in
// "<folder>/<prefix><local time %d-%m-%Y %H-%M-%S>.dmp". A record never replaces an earlier one:
// a second crash in the same second gets " (2)", " (3)", ... before ".dmp".
//
// The signal handler runs on its own stack (so it works after a stack overflow) and uses only
// async-signal-safe calls; everything it needs is prepared at installation. After writing the
// record the process still dies by the original signal, so the exit status tells what happened.

#include <string>

namespace os {

// Installs the handlers. The folder must exist; the texts are copied (longer ones are cut).
void InstallCrashRecorder(const std::string& folder, const std::string& filePrefix);

// Opens a new file "<basePath>.dmp", or "<basePath> (N).dmp" with the lowest N >= 2 whose file
// does not exist yet. Returns the descriptor, or -1 when no name could be created.
// Async-signal-safe; basePath must be shorter than 4000 bytes.
int CreateUniqueCrashFile(const char* basePath);

}  // namespace os
