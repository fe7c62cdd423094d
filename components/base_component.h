#pragma once
// BaseComponent: the base of every component class. Components are plain, default-constructible
// and copyable values stored in one ComponentArray per type.

class BaseComponent {
 public:
  virtual ~BaseComponent() = default;
  // Marks a component that the entity received from its prefab file rather than its own record.
  virtual void SetFromPrefab(bool value) { fromPrefab = value; }

  bool fromPrefab = false;
};
