#pragma once
// Usertypes: C++ classes seen from Lua as userdata with named fields and methods.
//
//   lua::Usertype<Camera>(L, "Camera")
//       .Member("_position", &Camera::_position)      // by reference / by value, read and write
//       .ReadOnly("_isGrounded", &Collider::_isGrounded)
//       .Property("_zoom", getter, setter)             // by copy through the two callables
//       .Method("SetDirty", &Camera::SetDirty);
//
// Each type has one metatable, kept in the Lua registry under the type's tag (never under a
// global name, so a global of the same name can be anything). A userdata of the type holds the
// tag and a pointer: to C++ storage (a reference, from a getter or a member), or to a copy that
// the userdata owns (a result by value).
//
// Field semantics:
//   - Member: reading a field of a bound type (Vec3, a matrix) gives a userdata referring to
//     the field itself, so `t._position.x = 1` changes the object; reading any other field
//     gives its value. Assigning copies the value in, strictly typed (stack.h, AssignField).
//   - ReadOnly: reads like a member; assigning raises a Lua error.
//   - Property: reading calls `getter(const T&)` and gives the result by value (a bound type
//     as a new owned copy); assigning converts the value to the setter's parameter type
//     strictly and calls `setter(T&, value)`. The setter may throw lua::Error to refuse.
//   - Method: a member function pointer, or a callable taking `T&` first; called as
//     `object:Name(...)` with exactly its number of arguments, else the Lua error
//     "sol: incorrect number of arguments to member variable function". `self` is checked.
// Reading an unknown field gives nil; assigning one raises a Lua error. Methods cannot be
// assigned. Field access through the metamethods with the wrong number of values raises the
// same argument-count error as a method.

#include <lua.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "scripting/lua/function.h"
#include "scripting/lua/reference.h"
#include "scripting/lua/stack.h"

namespace lua {

inline constexpr std::string_view kArgumentCountError =
    "sol: incorrect number of arguments to member variable function";

namespace detail {

// One field of a usertype, stored as a userdata in the type's field table.
struct Field {
  int (*get)(lua_State* L, void* object, const Field* field);
  // Null for a read-only field.
  void (*set)(lua_State* L, void* object, int valueIndex, const Field* field);
  char displayName[64];  // "Type._field", for messages
};

void SetDisplayName(Field& field, std::string_view typeName, std::string_view fieldName);

// Creates T's metatable (replacing an earlier one) and returns its field table.
Reference CreateUsertype(lua_State* L, std::string_view name, const TypeTag* tag,
                         bool collectOwned);

template <typename T, typename M>
struct MemberField : Field {
  M T::*member;
};

template <typename T, typename M>
int GetMember(lua_State* L, void* object, const Field* field) {
  M& value = static_cast<T*>(object)->*(static_cast<const MemberField<T, M>*>(field)->member);
  if constexpr (kIsBound<M>) {
    PushReference(L, &value);
  } else {
    PushResult(L, value);
  }
  return 1;
}

template <typename T, typename M>
void SetMember(lua_State* L, void* object, int valueIndex, const Field* field) {
  M& value = static_cast<T*>(object)->*(static_cast<const MemberField<T, M>*>(field)->member);
  AssignField(L, valueIndex, value, field->displayName);
}

template <typename T, typename Getter, typename Setter>
struct PropertyField : Field {
  Getter getter;
  Setter setter;
};

template <typename T, typename Getter, typename Setter>
int GetProperty(lua_State* L, void* object, const Field* field) {
  const auto* property = static_cast<const PropertyField<T, Getter, Setter>*>(field);
  return PushResult(L, property->getter(*static_cast<const T*>(object)));
}

template <typename T, typename Getter, typename Setter>
void SetProperty(lua_State* L, void* object, int valueIndex, const Field* field) {
  const auto* property = static_cast<const PropertyField<T, Getter, Setter>*>(field);
  using Value =
      std::remove_cvref_t<std::tuple_element_t<1, typename CallableTraits<Setter>::Arguments>>;
  Value value{};
  AssignField(L, valueIndex, value, field->displayName);
  property->setter(*static_cast<T*>(object), std::move(value));
}

template <typename Tuple>
struct TupleTail;
template <typename Head, typename... Rest>
struct TupleTail<std::tuple<Head, Rest...>> {
  using type = std::tuple<Rest...>;
};

// The arguments a method takes after `self`: all of a member function's, all but the first of
// a callable's.
template <typename F, bool = std::is_member_function_pointer_v<F>>
struct MethodArgumentsOf {
  using type = typename CallableTraits<F>::Arguments;
};
template <typename F>
struct MethodArgumentsOf<F, false> {
  using type = typename TupleTail<typename CallableTraits<F>::Arguments>::type;
};
template <typename F>
using MethodArguments = typename MethodArgumentsOf<F>::type;

// Raises the "bad self" error for a method or metamethod of the type named by `typeName`.
[[noreturn]] void ThrowBadSelf(lua_State* L, std::string_view typeName);

template <typename T, typename F>
int CallMethod(lua_State* L) {
  using Arguments = MethodArguments<F>;
  constexpr int kArity = static_cast<int>(std::tuple_size_v<Arguments>);
  if (lua_gettop(L) != kArity + 1) throw Error(std::string(kArgumentCountError));
  T* self = ToObject<T>(L, 1);
  if (self == nullptr) ThrowBadSelf(L, TypeNameIn<T>(L));
  F& method = *HeldAt<F>(L, lua_upvalueindex(1));
  return InvokeWith<Arguments>(L, 2, method, std::make_index_sequence<kArity>{}, *self);
}

// Stores a field userdata under `name` in the field table.
template <typename FieldType>
void AddField(const Reference& fields, std::string_view name, FieldType&& field) {
  static_assert(HeldOffset<std::remove_cvref_t<FieldType>>() == HeldOffset<Field>(),
                "a field must be laid out like Field inside its userdata");
  lua_State* L = fields.State();
  fields.Push(L);
  lua_pushlstring(L, name.data(), name.size());
  PushHeld(L, std::forward<FieldType>(field));
  lua_rawset(L, -3);
  lua_pop(L, 1);
}

}  // namespace detail

template <typename T>
class Usertype {
 public:
  // Creates the usertype named `name` in the state of `L`.
  Usertype(lua_State* L, std::string_view name)
      : state_(L),
        name_(name),
        fields_(detail::CreateUsertype(L, name, &detail::kTypeTag<T>,
                                       !std::is_trivially_destructible_v<T>)) {}

  template <typename M>
  Usertype& Member(std::string_view name, M T::*member) {
    return AddMember(name, member, &detail::SetMember<T, M>);
  }

  template <typename M>
  Usertype& ReadOnly(std::string_view name, M T::*member) {
    return AddMember(name, member, nullptr);
  }

  template <typename Getter, typename Setter>
  Usertype& Property(std::string_view name, Getter getter, Setter setter) {
    detail::PropertyField<T, Getter, Setter> field{
        {&detail::GetProperty<T, Getter, Setter>, &detail::SetProperty<T, Getter, Setter>, {}},
        std::move(getter),
        std::move(setter)};
    detail::SetDisplayName(field, name_, name);
    detail::AddField(fields_, name, std::move(field));
    return *this;
  }

  template <typename F>
  Usertype& Method(std::string_view name, F method) {
    fields_.Push(state_);
    lua_pushlstring(state_, name.data(), name.size());
    detail::PushHeld(state_, std::move(method));
    lua_pushcclosure(state_, &detail::Guarded<&detail::CallMethod<T, F>>, 1);
    lua_rawset(state_, -3);
    lua_pop(state_, 1);
    return *this;
  }

 private:
  template <typename M>
  Usertype& AddMember(std::string_view name, M T::*member,
                      void (*set)(lua_State*, void*, int, const detail::Field*)) {
    detail::MemberField<T, M> field{{&detail::GetMember<T, M>, set, {}}, member};
    detail::SetDisplayName(field, name_, name);
    detail::AddField(fields_, name, std::move(field));
    return *this;
  }

  lua_State* state_;
  std::string name_;
  Reference fields_;
};

}  // namespace lua
