#pragma once
// BaseComponent: the base of every component class.
//
// Components are plain values: default-constructible, copied member by member (containers
// deeply, resource ids and document handles as the same value) and stored by value in one
// ComponentArray per type. A default constructor does no file or GL work; the components that
// read files do it in a load step the entity reader calls after the JSON record is read.

class BaseComponent {
 public:
  BaseComponent() = default;
  BaseComponent(const BaseComponent&) = default;
  BaseComponent(BaseComponent&&) = default;
  BaseComponent& operator=(const BaseComponent&) = default;
  BaseComponent& operator=(BaseComponent&&) = default;
  virtual ~BaseComponent() = default;

  // Marks a component that the entity received from its prefab file rather than its own record.
  virtual void SetFromPrefab(bool value) { fromPrefab = value; }

  bool fromPrefab = false;
};
