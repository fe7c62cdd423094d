#pragma once
// Registers every system of the game, makes the render context once the window exists (the
// renderer goes under DECS there), and then links the systems (app/system_wiring.h). A system's
// Init looks no other system up: the platform system gets the settings it opens the window from
// and the input system the window's input at construction; the rest is linked afterwards. Does
// nothing when the systems are registered already.

class RenderContext;

void RegisterAllSystems();

// The game's render context: made by RegisterAllSystems right after the window, gone when the
// platform system closes the window or DestroyRenderContext is called. Null outside that span.
RenderContext* GameRenderContext();

// Destroys the game's render context, if there is one, while its GL context still exists.
void DestroyRenderContext();
