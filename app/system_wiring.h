#pragma once
// The composition root: the one place where systems of different subsystems are linked. Each
// system that needs another declares what it needs next to itself (an interface, a struct of
// callbacks or a setter); WireSystems fills those in once every system is registered, so the
// order of registration decides nothing. Nothing in the product finds a system by its type name
// or looks another system up itself. The few links a system needs during its Init are handed to
// it at registration instead (app/system_registration.cpp: the window's settings, the window's
// input). A later subsystem adds its links here.
//
// A link whose system is missing is left empty and reported at start-up on standard error, one
// line per link, by the system that lacks it (BaseSystem::MissingLinks):
//   SystemWiring : 'class RingSystem' has no link 'actionLists'

class DECS;
class RenderContext;

// Links the registered game systems to each other, to the engine loop and to the render
// context (which gets the teardown steps of everything that holds on to it), then runs
// LinkSystems. Every system of the game must be registered.
void WireSystems(DECS& decs, RenderContext& context);

// The links between systems that need no render context: the settings and the window, the
// sound, the cameras, the sprite texts, the rings, the scripts' API, and the engine's prefab
// scenes. Works on whichever systems are registered: a system that is missing leaves the links
// to it empty. Ends by reporting every link any registered system still lacks.
void LinkSystems(DECS& decs);
