#include "components/animation_group.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/resource_provider.h"
#include "engine/text_scanner.h"

namespace {

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void ReportFile(const std::string& path, int line, const char* problem) {
  if (line > 0) {
    std::printf("AnimationGroup : '%s' line %d: %s\n", path.c_str(), line, problem);
  } else {
    std::printf("AnimationGroup : '%s': %s\n", path.c_str(), problem);
  }
}

}  // namespace

void AnimationGroup::LoadAnimations() {
  sheets.clear();
  for (const std::string& entry : _animList) {
    const std::size_t blank = entry.find(' ');
    const std::string name = blank == std::string::npos ? entry : entry.substr(0, blank);
    const std::string file = blank == std::string::npos ? entry : entry.substr(blank + 1);
    sheets[name] = LoadAnimationFile(pathPrefix + file);
  }
}

AnimationSheet AnimationGroup::LoadAnimationFile(const std::string& path) {
  AnimationSheet sheet;
  TextScanner scanner(path);
  if (!scanner.IsOpen()) {
    std::printf("AnimationGroup : '%s' cannot be opened; the sheet is empty\n", path.c_str());
    return sheet;
  }

  std::string texturePath;
  if (!scanner.ReadWord(texturePath)) {
    ReportFile(path, scanner.Line(), "the file is empty; the sheet is empty");
    return sheet;
  }
  if (ResourceProvider* resources = DECS::CurrentResources()) {
    sheet.texture = resources->GetTexture(texturePath, texture_sampling::kLinear,
                                          texture_sampling::kNearest, texture_sampling::kRepeat);
  }

  int clipCount = 0;
  if (!scanner.ReadCount(clipCount, kMaxClips)) {
    ReportFile(path, scanner.Line(), "the clip count is missing or not 0 to 1024; no clips read");
    return sheet;
  }
  for (int i = 0; i < clipCount; ++i) {
    AnimationClip clip;
    if (!scanner.ReadWord(clip.name)) {
      char problem[96];
      std::snprintf(problem, sizeof problem, "the file ends after %d of %d clips", i, clipCount);
      ReportFile(path, scanner.Line(), problem);
      return sheet;
    }
    // Every value is read, so one bad value does not shift the ones after it.
    const bool firstRead = scanner.ReadInt(clip.firstFrame);
    const bool lastRead = scanner.ReadInt(clip.lastFrame);
    const bool rateRead = scanner.ReadFloat(clip.rate);
    if (!firstRead || !lastRead || !rateRead) {
      ReportFile(path, scanner.Line(),
                 "a clip's first frame, last frame or rate is missing or not a number; its "
                 "default is kept");
    }
    sheet.clips.push_back(std::move(clip));
  }

  if (scanner.AtEnd()) return sheet;
  int eventCount = 0;
  if (!scanner.ReadCount(eventCount, kMaxEventFrames)) {
    ReportFile(path, scanner.Line(), "the event frame count is not 0 to 1024; no events read");
    return sheet;
  }
  for (int i = 0; i < eventCount; ++i) {
    int frame = 0;
    if (!scanner.ReadInt(frame) || frame < 0) {
      ReportFile(path, scanner.Line(),
                 "an event frame is missing or not a frame number; no event message read");
      return sheet;
    }
    sheet.eventFrames.push_back(static_cast<unsigned int>(frame));
  }

  std::string word;
  while (scanner.ReadWord(word)) {
    const std::size_t joined = sheet.eventMessage.size() + (sheet.eventMessage.empty() ? 0 : 1);
    if (joined + word.size() > kMaxEventMessageLength) {
      ReportFile(path, scanner.Line(), "the event message is longer than 511 characters; cut");
      break;
    }
    if (!sheet.eventMessage.empty()) sheet.eventMessage += ' ';
    sheet.eventMessage += word;
  }
  return sheet;
}

void AnimationGroup::SetAnimationSheet(const std::string& name) {
  const auto found = sheets.find(name);
  if (found == sheets.end()) {
    std::printf("AnimationGroup : Warning: no sheet named '%s'; the current sheet stays\n",
                name.c_str());
    return;
  }
  currentSheet = found->second;
  if (!currentClipName.empty()) PlayAnimation(currentClipName);
}

void AnimationGroup::PlayAnimation(const std::string& name) {
  const std::vector<AnimationClip>& clips = currentSheet.clips;
  if (clips.empty()) return;
  auto clip = std::find_if(clips.begin(), clips.end(),
                           [&name](const AnimationClip& c) { return c.name == name; });
  if (clip == clips.end()) clip = clips.begin();

  currentClipName = clip->name;
  clipFirstFrame = clip->firstFrame;
  clipLastFrame = clip->lastFrame;
  clipRate = clip->rate;
  currentFrame = ClampToInt(static_cast<long long>(clipFirstFrame) + frameOffset);
  // A clip whose last frame is not past its first has no frames: it shows its first frame.
  clipFrameCount = ClampToInt(std::max(
      0LL, static_cast<long long>(clipLastFrame) - static_cast<long long>(clipFirstFrame)));
  paused = false;
  enteringFirstFrame = true;
  if (!loop) elapsed = 0.0f;
  // Without frames or without a positive rate the duration is 0, which UpdateAnimation reads
  // as "stay on the first frame".
  const bool playable = clipFrameCount > 0 && clipRate > 0.0f && std::isfinite(clipRate);
  duration = playable ? static_cast<float>(clipFrameCount) / clipRate : 0.0f;
}

void AnimationGroup::RestartAnimation() {
  frameOffset = 0;
  elapsed = 0.0f;
  enteringFirstFrame = true;
}

void AnimationGroup::UpdateAnimation(float dt) {
  if (paused || !std::isfinite(dt) || dt < 0.0f) return;
  if (!(elapsed <= duration)) {
    if (loop) elapsed = 0.0f;
    return;
  }

  frameOffset = 0;
  if (duration > 0.0f) {
    const float fraction = std::clamp(elapsed / duration, 0.0f, 1.0f);
    frameOffset = static_cast<int>(fraction * static_cast<float>(clipFrameCount));
  }
  const long long previousFrame = currentFrame;
  currentFrame = ClampToInt(static_cast<long long>(clipFirstFrame) + frameOffset);

  // A handler of the event message may change this component (a new sheet, say), so the
  // message is copied out before it is posted.
  // The event fires once per entry into its frame: for the frames entered by this step,
  // (previous, current]. The first step after PlayAnimation or RestartAnimation enters the frame
  // it shows, and a step that wrapped back to the clip's start enters every frame from the start.
  const long long current = currentFrame;
  long long lowestEntered = previousFrame + 1;
  if (enteringFirstFrame) {
    lowestEntered = std::min(previousFrame, current);
  } else if (current < previousFrame) {
    lowestEntered = std::min<long long>(clipFirstFrame, current);
  }
  enteringFirstFrame = false;
  bool eventReached = false;
  for (const unsigned int eventFrame : currentSheet.eventFrames) {
    if (lowestEntered <= eventFrame && eventFrame <= current) {
      eventReached = true;
      break;
    }
  }
  if (eventReached && DECS::HasInstance()) {
    if (auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
      const std::string message = currentSheet.eventMessage;
      messaging->PostFormatted("%s", 0, message.c_str());
    }
  }

  ComputeFrameOffset();
  elapsed += dt;
  finished = elapsed > duration;
}

float AnimationGroup::ComputeFrameOffset() {
  // A sheet of 0 columns or rows is read as one, and a negative frame as frame 0.
  const unsigned int columns = std::max(_sheetWidth, 1u);
  const unsigned int rows = std::max(_sheetHeight, 1u);
  const unsigned int frame = currentFrame < 0 ? 0u : static_cast<unsigned int>(currentFrame);
  const float rowFraction = static_cast<float>(frame / columns) / static_cast<float>(rows);
  frameOffsetU = static_cast<float>(frame % columns) / static_cast<float>(columns);
  frameOffsetV = 1.0f - rowFraction - 1.0f / static_cast<float>(rows);
  return rowFraction;
}
