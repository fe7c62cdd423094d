#pragma once
// The game when its connection to the X display breaks (the X server stops, the display goes
// away).
//
// Xlib's own handler ends the process with exit() from inside the call that found the break:
// static objects are then destroyed in the middle of a frame, under a render context that still
// uses them, and the exit crashes. The handler installed here closes the game instead, as a
// close request does but at once: the settings are saved, the render context and the engine
// are taken down in their normal order (StopEngine), and the process exits with status 1 after
// a line on standard error. It never returns into the frame, whose window queries would only
// read values the broken connection no longer fills in.

// Installs the handler for every display the process opens (before the window is made).
void InstallDisplayLossHandler();
