#pragma once
// Run-time type names.
//
// Managers, systems, component arrays, entity signatures and the component sections of entity
// files are keyed by a type's name in the form "class Transform". The name is given explicitly
// for each type, next to its declaration:
//
//   class Transform { ... };
//   DECLARE_TYPE_NAME(class, Transform);
//
// TypeName<Transform>() then returns "class Transform". A type without a declaration does not
// compile, and a derived class never silently takes its base's name.

#include <string_view>

template <typename T>
struct TypeNameOf;  // specialised by DECLARE_TYPE_NAME only

#define DECLARE_TYPE_NAME(Kind, Type)                          \
  template <>                                                  \
  struct TypeNameOf<Type> {                                    \
    static constexpr std::string_view value = #Kind " " #Type; \
  }

template <typename T>
constexpr std::string_view TypeName() {
  return TypeNameOf<T>::value;
}
