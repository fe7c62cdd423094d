#pragma once
// Registers the 24 component classes with the engine's ComponentManager, in a fixed order.
// Start-up calls it after CreateManagers and before the systems are registered. A second call
// does nothing: the arrays are there already.

void RegisterAllComponents();
