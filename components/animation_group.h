#pragma once
// AnimationGroup: sprite-sheet animations of an entity. Sheets are read from animation files
// named by `_animList` ("sheet file" per entry) and kept by name; one sheet is current and one
// of its clips plays. The playback state lives in the component, so a copy plays on from the
// same position.

#include <string>
#include <unordered_map>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

// A run of sheet cells, first to last - 1, played at `rate` frames per second.
struct AnimationClip {
  std::string name;
  int firstFrame = 0;
  int lastFrame = 1;
  float rate = 60.0f;
};

// One animation file: the sheet's texture, its clips, and a message posted when playback
// reaches one of the event frames.
struct AnimationSheet {
  int texture = 0;
  std::vector<AnimationClip> clips;
  std::vector<unsigned int> eventFrames;
  std::string eventMessage;
};

class AnimationGroup : public BaseComponent {
 public:
  // Reads every sheet of `_animList` from `pathPrefix` + its file name. Does nothing yet: the
  // reader arrives with the animation file format.
  void LoadAnimations();
  // Reads one animation file; an empty sheet when it cannot be read. Returns an empty sheet
  // until the reader arrives with the animation file format.
  AnimationSheet LoadAnimationFile(const std::string& path);

  std::string pathPrefix = "./GAME/Assets/Animations/";
  AnimationSheet currentSheet;
  std::vector<std::string> _animList;
  std::unordered_map<std::string, AnimationSheet> sheets;
  std::string currentClipName;
  int clipFirstFrame = 0;
  int clipLastFrame = 1;
  float clipRate = 60.0f;  // frames per second
  int frameOffset = 0;     // frames since the clip's first frame
  int clipFrameCount = 1;
  unsigned int _sheetWidth = 1;   // cells per sheet row
  unsigned int _sheetHeight = 1;  // cell rows
  bool paused = false;
  bool loop = true;
  float elapsed = 0.0f;   // seconds
  float duration = 1.0f;  // seconds
  int currentFrame = 0;   // sheet cell index
  float frameOffsetU = 0.0f;
  float frameOffsetV = 0.0f;
  bool finished = false;
};
DECLARE_TYPE_NAME(class, AnimationGroup);
