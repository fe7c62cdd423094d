#pragma once
// Narrow interfaces through which the engine core reaches later subsystems without depending on
// them. The system that provides a service implements the interface; the composition root (app/)
// hands it to DECS through a setter once the systems are registered, and DECS skips the call
// when it is absent, so the core runs and tests without a window, OpenGL or Lua.

// The window: brackets every rendered frame (clear and viewport before, buffer swap after).
class FrameHost {
 public:
  virtual ~FrameHost() = default;
  virtual void BeginFrame() = 0;
  virtual void EndFrame() = 0;
};

// Input: while a recording is made or played back, the loop runs in fixed 1/60 s steps.
class InputReplayState {
 public:
  virtual ~InputReplayState() = default;
  virtual bool IsRecordingOrReplaying() const = 0;
};

// The renderer's frame render, after every system has rendered.
class FrameRenderer {
 public:
  virtual ~FrameRenderer() = default;
  virtual void RenderFrame() = 0;
};

// Scripting: drops what the script system holds for an entity that was destroyed.
class EntityScriptEraser {
 public:
  virtual ~EntityScriptEraser() = default;
  virtual void EraseEntityScripts(int entity) = 0;
};
