#pragma once
// Registers every system of the game, in the order their Init calls rely on (each sees only the
// systems registered before it), and creates the renderer under DECS after the window. Does
// nothing when the systems are registered already.
void RegisterAllSystems();
