#pragma once
// Registers every system of the game, in the order their Init calls rely on (each sees only the
// systems registered before it), makes the render context once the window exists (the renderer
// goes under DECS there), and then links the systems (app/system_wiring.h). Does nothing when
// the systems are registered already.

class RenderContext;

void RegisterAllSystems();

// The game's render context: made by RegisterAllSystems right after the window, gone when the
// platform system closes the window or DestroyRenderContext is called. Null outside that span.
RenderContext* GameRenderContext();

// Destroys the game's render context, if there is one, while its GL context still exists.
void DestroyRenderContext();
