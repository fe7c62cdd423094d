#include "platform/os/close_request.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace os {
namespace {

// 0: none; 1: a request waits to be taken; 2: the request was taken and shutdown runs.
volatile std::sig_atomic_t requestState = 0;

void OnCloseSignal(int signalNumber) {
  if (requestState != 0) _exit(128 + signalNumber);  // async-signal-safe, unlike exit
  requestState = 1;
}

}  // namespace

void InstallCloseRequestHandlers() {
  requestState = 0;
  struct sigaction action {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signalNumber, &action, nullptr);
}

bool CloseRequestPending() { return requestState == 1; }

bool TakeCloseRequest() {
  if (requestState != 1) return false;
  requestState = 2;
  return true;
}

}  // namespace os
