#pragma once
// AnimationGroup: sprite-sheet animations of an entity. Sheets are read from animation files
// named by `_animList` ("sheet file" per entry) and kept by name; one sheet is current and one
// of its clips plays. The playback state lives in the component, so a copy plays on from the
// same position.

#include <cstddef>
#include <glm/glm.hpp>
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
//
// File format (tokens separated by white space, each at most 255 characters):
//   texture path
//   clip count N, then N clips of: name, first frame, last frame, rate
//   optionally: event frame count M, then M frame numbers
//   optionally: the event message, every remaining token joined by single blanks
struct AnimationSheet {
  int texture = 0;
  std::vector<AnimationClip> clips;
  std::vector<unsigned int> eventFrames;
  std::string eventMessage;
};

class AnimationGroup : public BaseComponent {
 public:
  // Limits on what one animation file may ask for; a larger count is refused.
  static constexpr int kMaxClips = 1024;
  static constexpr int kMaxEventFrames = 1024;
  // The event message is posted as one string message, which holds at most this many
  // characters; later words are dropped.
  static constexpr std::size_t kMaxEventMessageLength = 511;

  // Replaces the sheet map with the sheets of `_animList`. An entry is a sheet name, a blank
  // and a file name under `pathPrefix`; an entry without a blank is both.
  void LoadAnimations();
  // Reads one animation file (path as given, normalized on opening). A file that does not open
  // gives an empty sheet; a malformed one gives what could be read before the fault. Either is
  // reported with a line naming the file.
  AnimationSheet LoadAnimationFile(const std::string& path);

  // Makes the named sheet current and restarts the current clip name on it. An unknown name
  // keeps the current sheet and is reported.
  void SetAnimationSheet(const std::string& name);
  // Starts the first clip of that name on the current sheet, or its first clip when none has
  // the name. Ignored while the current sheet has no clips.
  void PlayAnimation(const std::string& name);
  void PauseAnimation() { paused = true; }
  // Back to the clip's first frame.
  void RestartAnimation();
  // Advances playback by dt seconds, posting the event message (at most once per call) when
  // the frame enters an event frame; resting on that frame posts nothing more.
  void UpdateAnimation(float dt);
  // Recomputes the cell offset of `currentFrame`; returns the row fraction (row / rows).
  float ComputeFrameOffset();
  // The offset (u, v) of the current cell on the sheet, added to texture coordinates.
  glm::vec2 GetFrameOffset() const { return {frameOffsetU, frameOffsetV}; }

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
  // Set by PlayAnimation and RestartAnimation: the next step enters the frame it starts on.
  bool enteringFirstFrame = true;
};
DECLARE_TYPE_NAME(class, AnimationGroup);
