#include "ui/rml_system.h"

// The documents keep running while the pause menu is open: they are the pause menu.
RMLSystem::RMLSystem() { pausable = false; }
