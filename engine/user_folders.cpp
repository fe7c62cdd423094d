#include "engine/user_folders.h"

#include "platform/os/known_folders.h"

namespace {
constexpr const char* kGameSubfolder = "/Corvane/Kelvaris";
}

std::string GetSaveDataFolder() { return os::UserDataFolder() + kGameSubfolder; }

std::string GetDocumentsFolder() { return os::UserDocumentsFolder() + kGameSubfolder; }
