#include "components/sound_bank.h"

#include "engine/decs.h"
#include "engine/sound_loader.h"
#include "platform/os/file_path.h"

void SoundBank::Load() {
  SoundLoader* loader = DECS::CurrentSoundLoader();
  for (const std::string& entry : _pairs) {
    const std::size_t blank = entry.find(' ');
    const std::string alias = blank == std::string::npos ? entry : entry.substr(0, blank);
    const std::string path =
        os::NormalizePath(blank == std::string::npos ? entry : entry.substr(blank + 1));
    const int number = loader != nullptr ? loader->LoadSound(path, alias, _loop) : -1;
    if (firstSound == -1) firstSound = number;
    ++soundCount;
  }
}
