#pragma once
// Close requests from outside the window: Ctrl+C in the terminal (SIGINT), a termination
// request (SIGTERM) or the terminal going away (SIGHUP).
//
// The first such signal only marks the request; the main loop asks for it with
// TakeCloseRequest and closes the game as the window's close button does, so the normal
// shutdown runs and the settings are saved. A second signal while the first is still pending
// or being served ends the process at once with status 128 + signal number, for a game that no
// longer responds.

namespace os {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP and clears any earlier request.
void InstallCloseRequestHandlers();

// True once, for each request that arrived since the last call.
bool TakeCloseRequest();

// True while a request has arrived and not been taken yet. Safe to ask at any moment and as
// often as wanted: code that may run for long (a script) asks it, to give way to the main loop.
bool CloseRequestPending();

}  // namespace os
