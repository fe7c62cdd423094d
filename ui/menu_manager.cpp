#include "ui/menu_manager.h"

// Menus keep updating while the game is paused.
MenuManager::MenuManager() { pausable = false; }
