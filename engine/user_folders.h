#pragma once
// The two per-user folders of the game. Neither function creates its folder (start-up does).
// Both throw std::runtime_error when the user's home folder cannot be found.

#include <string>

// Settings, key bindings, the save marker and crash records:
// $XDG_DATA_HOME (default ~/.local/share) + "/Corvane/Kelvaris".
std::string GetSaveDataFolder();

// Input recordings: the XDG documents folder (default ~/Documents) + "/Corvane/Kelvaris".
std::string GetDocumentsFolder();
