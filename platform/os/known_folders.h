#pragma once
// The user's known folders, found the way desktop Linux programs find them.
//
//   UserDataFolder()      $XDG_DATA_HOME, else $HOME/.local/share
//   UserDocumentsFolder() XDG_DOCUMENTS_DIR from $XDG_CONFIG_HOME/user-dirs.dirs
//                         (else ~/.config/user-dirs.dirs), else $HOME/Documents
//
// Relative XDG values are ignored, as the XDG rules require. Neither function creates a folder.
// Both throw std::runtime_error when the home folder cannot be found.

#include <string>

namespace os {

std::string UserDataFolder();
std::string UserDocumentsFolder();

// The home folder: $HOME, else the password database entry of the current user.
std::string HomeFolder();

// The folder that holds the running executable, or an empty text when it cannot be found.
std::string ExecutableFolder();

}  // namespace os
