#pragma once
// The composition root: the one place where systems of different subsystems are linked. Each
// system that needs another declares what it needs next to itself (an interface, a struct of
// callbacks or a setter); WireSystems fills those in once every system is registered. Nothing
// in the product finds a system by its type name. A later subsystem adds its links here.

class DECS;
class RenderContext;

// Links the registered game systems to each other, to the engine loop and to the render
// context (which gets the teardown steps of everything that holds on to it). Every system of
// the game must be registered.
void WireSystems(DECS& decs, RenderContext& context);
