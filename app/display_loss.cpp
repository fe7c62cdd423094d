#include "app/display_loss.h"

#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "engine/decs.h"
// Xlib last: its macros (None, Bool, Status...) break other headers.
#include <X11/Xlib.h>

namespace {

int CloseGameOnDisplayLoss(Display*) {
  // A second break found while the game closes ends the process without closing it again.
  static bool closing = false;
  if (!closing) {
    closing = true;
    std::fprintf(stderr, "Kelvaris: the connection to the display was lost; the game closes\n");
    if (DECS::HasInstance()) StopEngine();
  }
  std::exit(1);
}

}  // namespace

void InstallDisplayLossHandler() { XSetIOErrorHandler(CloseGameOnDisplayLoss); }
