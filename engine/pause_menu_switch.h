#pragma once
// PauseMenuSwitch: turns the pause menu's handling on and off. The user-interface system
// provides it; the scene system switches it off for the length of a scene change.

class PauseMenuSwitch {
 public:
  virtual ~PauseMenuSwitch() = default;

  virtual void SetPauseMenuEnabled(bool enabled) = 0;
  virtual bool PauseMenuEnabled() const = 0;
};
