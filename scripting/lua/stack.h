#pragma once
// Moving values between C++ and the Lua stack: the conversions every bound function, field and
// method uses.
//
// Arguments (ReadArgument) follow forgiving rules, so a script passing the wrong kind of value
// gets a neutral one rather than an error. Numbers are read as Lua reads them, so a string
// holding a number counts as that number.
//   - bool: Lua truthiness;
//   - int: a Lua integer unchanged, a float rounded to nearest (halves away from zero);
//     anything else, or a missing argument, reads as 0. A NaN, an infinity, a float whose
//     rounded value has magnitude 2^31 or more, or an integer outside the 32-bit range is out
//     of range: the read sets `outOfRange` and the bound function is not called;
//   - lua::StrictInt: read as int, but a value that is not a number (nil, a missing argument,
//     a string that holds no number, a table) raises lua::Error
//     "bad argument #<n>: number expected, got <type>" instead of reading as 0;
//   - enumerations: a Lua integer, or a float with an integral value, in the 32-bit range;
//     anything else reads as 0;
//   - float, double: a Lua number; anything else reads as 0;
//   - std::string, std::string_view: a Lua string unchanged, a number in its Lua text form,
//     anything else as "";
//   - a bound type (usertype) by reference or pointer: checked; a value of another type raises
//     lua::Error (a pointer also accepts nil as null).
// Assigning a field (AssignField) is strict: the value must have the field's type (a number
// for a number field, a boolean for a bool, a string or number for a string, the same bound
// type for a bound type); anything else raises lua::Error.
// Results (PushResult): bool, integers and enumerations as Lua integers, floating point as Lua
// numbers, strings, lua::Reference as its value, std::optional as its value or nil, a bound
// type by value as a new userdata owning a copy, a pointer to a bound type as a userdata
// referring to the object (nil for null), a std::vector as a new sequence (indexed from 1) of
// its converted elements, and lua::Fields as a new table with those named fields.

#include <lua.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "scripting/lua/error.h"
#include "scripting/lua/reference.h"

namespace lua {

// A result that becomes a new Lua table with named fields of one type:
//   return lua::Fields<float, 2>{{{"x", 1.0f}, {"y", 2.0f}}};   // {x = 1.0, y = 2.0}
template <typename T, std::size_t N>
struct Fields {
  static constexpr std::size_t kCount = N;
  std::pair<const char*, T> fields[N];
};

// An integer argument that must be given as a number (see above): for parameters where 0 is a
// meaningful value, such as an entity id, so a mistaken argument does not silently mean 0.
struct StrictInt {
  int value = 0;
};

namespace detail {

// Identifies a bound type at run time; one per C++ type, compared by address.
struct TypeTag {
  void (*destroy)(void* object);
};

template <typename T>
void DestroyObject(void* object) {
  static_cast<T*>(object)->~T();
}

template <typename T>
inline constexpr TypeTag kTypeTag{&DestroyObject<T>};

// The userdata of a bound value: its type, the object it stands for, and whether the object
// lives inside this userdata (a copy) or elsewhere (a reference into C++ storage).
struct Box {
  const TypeTag* tag;
  void* object;
  bool owned;
};

template <typename T>
constexpr std::size_t OwnedOffset() {
  constexpr std::size_t align = alignof(T);
  return (sizeof(Box) + align - 1) / align * align;
}

// Pushes the metatable of T's usertype, or nil when T was never bound in this state.
template <typename T>
int PushTypeMetatable(lua_State* L) {
  return lua_rawgetp(L, LUA_REGISTRYINDEX, &kTypeTag<T>);
}

// Pushes a userdata that refers to `object` (not owned).
template <typename T>
void PushReference(lua_State* L, T* object) {
  auto* box = static_cast<Box*>(lua_newuserdatauv(L, sizeof(Box), 0));
  box->tag = &kTypeTag<T>;
  box->object = const_cast<std::remove_const_t<T>*>(object);
  box->owned = false;
  PushTypeMetatable<std::remove_const_t<T>>(L);
  lua_setmetatable(L, -2);
}

// Pushes a userdata that owns a copy of `value`.
template <typename T>
void PushCopy(lua_State* L, T&& value) {
  using U = std::remove_cvref_t<T>;
  static_assert(alignof(U) <= alignof(void*), "over-aligned type in a userdata");
  constexpr std::size_t offset = OwnedOffset<U>();
  auto* memory = static_cast<unsigned char*>(lua_newuserdatauv(L, offset + sizeof(U), 0));
  auto* box = reinterpret_cast<Box*>(memory);
  box->tag = &kTypeTag<U>;
  box->object = new (memory + offset) U(std::forward<T>(value));
  box->owned = true;
  PushTypeMetatable<U>(L);
  lua_setmetatable(L, -2);
}

// The bound object at `index` when it is a userdata of type T; null otherwise.
template <typename T>
T* ToObject(lua_State* L, int index) {
  if (lua_type(L, index) != LUA_TUSERDATA) return nullptr;
  auto* box = static_cast<Box*>(lua_touserdata(L, index));
  if (lua_rawlen(L, index) < sizeof(Box) || box->tag != &kTypeTag<T>) return nullptr;
  return static_cast<T*>(box->object);
}

// The name Lua gives the value at `index` for messages: a bound type's name or the Lua type.
std::string_view DescribeValue(lua_State* L, int index);

// The name registered for T's usertype ("Vec3"), or "userdata" when T is not bound.
template <typename T>
std::string TypeNameIn(lua_State* L) {
  std::string name = "userdata";
  if (PushTypeMetatable<T>(L) == LUA_TTABLE) {
    if (lua_getfield(L, -1, "__name") == LUA_TSTRING) name = lua_tostring(L, -1);
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
  return name;
}

template <typename T>
[[noreturn]] void ThrowWrongType(lua_State* L, int index, std::string_view what) {
  std::string message(what);
  message += ": ";
  message += TypeNameIn<T>(L);
  message += " expected, got ";
  message += DescribeValue(L, index);
  throw Error(message);
}

template <typename T>
inline constexpr bool kIsString =
    std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>;

template <typename T>
struct IsVector : std::false_type {};
template <typename T, typename A>
struct IsVector<std::vector<T, A>> : std::true_type {};

template <typename T>
struct IsFields : std::false_type {};
template <typename T, std::size_t N>
struct IsFields<Fields<T, N>> : std::true_type {};

// A class type that is not one of the value types above is a bound type.
template <typename T>
inline constexpr bool kIsBound =
    std::is_class_v<T> && !kIsString<T> && !std::is_same_v<T, Reference> && !IsVector<T>::value &&
    !IsFields<T>::value && !std::is_same_v<T, StrictInt>;

template <typename T>
struct IsOptional : std::false_type {};
template <typename T>
struct IsOptional<std::optional<T>> : std::true_type {};

inline constexpr double kIntLimit = 2147483648.0;  // 2^31

// Lua's own conversion (an integer, an integral float, or a string holding one) first, since it
// is the common case; then a number (or numeric string) rounded.
inline int ReadInt(lua_State* L, int index, bool& outOfRange) {
  int isNumber = 0;
  const lua_Integer integer = lua_tointegerx(L, index, &isNumber);
  if (isNumber) {
    if (integer < std::numeric_limits<int>::min() || integer > std::numeric_limits<int>::max()) {
      outOfRange = true;
      return 0;
    }
    return static_cast<int>(integer);
  }
  const lua_Number number = lua_tonumberx(L, index, &isNumber);
  if (!isNumber) return 0;
  const double rounded = std::round(number);
  if (!(std::fabs(rounded) < kIntLimit)) {  // also catches NaN
    outOfRange = true;
    return 0;
  }
  return static_cast<int>(rounded);
}

inline std::string_view ReadString(lua_State* L, int index) {
  const int type = lua_type(L, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return {};
  std::size_t length = 0;
  // A number is converted in place: the argument slot then holds its text form.
  const char* text = lua_tolstring(L, index, &length);
  return {text, length};
}

}  // namespace detail

// Reads argument `index` as a T by the rules above.
template <typename T>
decltype(auto) ReadArgument(lua_State* L, int index, bool& outOfRange) {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    return lua_toboolean(L, index) != 0;
  } else if constexpr (std::is_enum_v<U>) {
    int isInteger = 0;
    const lua_Integer value = lua_tointegerx(L, index, &isInteger);
    if (!isInteger || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
      return U{};
    }
    return static_cast<U>(value);
  } else if constexpr (std::is_same_v<U, int>) {
    return detail::ReadInt(L, index, outOfRange);
  } else if constexpr (std::is_same_v<U, StrictInt>) {
    if (!lua_isnumber(L, index)) {
      throw Error("bad argument #" + std::to_string(index) + ": number expected, got " +
                  std::string(detail::DescribeValue(L, index)));
    }
    return StrictInt{detail::ReadInt(L, index, outOfRange)};
  } else if constexpr (std::is_floating_point_v<U>) {
    return static_cast<U>(lua_tonumberx(L, index, nullptr));
  } else if constexpr (std::is_same_v<U, std::string_view>) {
    return detail::ReadString(L, index);
  } else if constexpr (std::is_same_v<U, std::string>) {
    return std::string(detail::ReadString(L, index));
  } else if constexpr (std::is_same_v<U, Reference>) {
    return Reference::At(L, index);
  } else if constexpr (std::is_pointer_v<U>) {
    using Pointee = std::remove_cv_t<std::remove_pointer_t<U>>;
    static_assert(detail::kIsBound<Pointee>, "unsupported pointer argument");
    if (lua_isnoneornil(L, index)) return static_cast<U>(nullptr);
    Pointee* object = detail::ToObject<Pointee>(L, index);
    if (object == nullptr) {
      detail::ThrowWrongType<Pointee>(L, index, "bad argument #" + std::to_string(index));
    }
    return static_cast<U>(object);
  } else {
    static_assert(detail::kIsBound<U> && std::is_reference_v<T>,
                  "unsupported argument type: take bound types by reference");
    U* object = detail::ToObject<U>(L, index);
    if (object == nullptr) {
      detail::ThrowWrongType<U>(L, index, "bad argument #" + std::to_string(index));
    }
    return static_cast<T>(*object);
  }
}

// Pushes one result value; returns the number of values pushed (0 for void-like none).
template <typename T>
int PushResult(lua_State* L, T&& value) {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    lua_pushboolean(L, value ? 1 : 0);
  } else if constexpr (std::is_enum_v<U>) {
    lua_pushinteger(L, static_cast<lua_Integer>(value));
  } else if constexpr (std::is_integral_v<U>) {
    lua_pushinteger(L, static_cast<lua_Integer>(value));
  } else if constexpr (std::is_floating_point_v<U>) {
    lua_pushnumber(L, static_cast<lua_Number>(value));
  } else if constexpr (detail::kIsString<U>) {
    lua_pushlstring(L, value.data(), value.size());
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    lua_pushstring(L, value);
  } else if constexpr (std::is_same_v<U, Reference>) {
    value.Push(L);
  } else if constexpr (detail::IsOptional<U>::value) {
    if (!value.has_value()) {
      lua_pushnil(L);
    } else {
      PushResult(L, *std::forward<T>(value));
    }
  } else if constexpr (detail::IsVector<U>::value) {
    lua_createtable(L, static_cast<int>(value.size()), 0);
    lua_Integer position = 0;
    for (auto&& element : value) {
      PushResult(L, element);
      lua_rawseti(L, -2, ++position);
    }
  } else if constexpr (detail::IsFields<U>::value) {
    lua_createtable(L, 0, static_cast<int>(U::kCount));
    for (const auto& [name, field] : value.fields) {
      PushResult(L, field);
      lua_setfield(L, -2, name);
    }
  } else if constexpr (std::is_pointer_v<U>) {
    if (value == nullptr) {
      lua_pushnil(L);
    } else {
      detail::PushReference(L, value);
    }
  } else {
    static_assert(detail::kIsBound<U>, "unsupported result type");
    detail::PushCopy(L, std::forward<T>(value));
  }
  return 1;
}

// Stores the value at `index` into `field` by the strict rules above; `what` names the field
// for the error ("Transform._position").
template <typename M>
void AssignField(lua_State* L, int index, M& field, std::string_view what) {
  const int type = lua_type(L, index);
  auto wrong = [&](std::string_view expected) {
    throw Error(std::string("cannot set ") + std::string(what) + ": " + std::string(expected) +
                " expected, got " + std::string(detail::DescribeValue(L, index)));
  };
  if constexpr (std::is_same_v<M, bool>) {
    if (type != LUA_TBOOLEAN) wrong("boolean");
    field = lua_toboolean(L, index) != 0;
  } else if constexpr (std::is_same_v<M, int> || std::is_enum_v<M>) {
    bool outOfRange = false;
    if (type != LUA_TNUMBER) wrong("number");
    const int value = detail::ReadInt(L, index, outOfRange);
    if (outOfRange) {
      throw Error("cannot set " + std::string(what) + ": number out of the integer range");
    }
    field = static_cast<M>(value);
  } else if constexpr (std::is_floating_point_v<M>) {
    if (type != LUA_TNUMBER) wrong("number");
    field = static_cast<M>(lua_tonumber(L, index));
  } else if constexpr (std::is_same_v<M, std::string>) {
    if (type != LUA_TSTRING && type != LUA_TNUMBER) wrong("string");
    field = std::string(detail::ReadString(L, index));
  } else {
    static_assert(detail::kIsBound<M>, "unsupported field type");
    const M* value = detail::ToObject<M>(L, index);
    if (value == nullptr) {
      detail::ThrowWrongType<M>(L, index, std::string("cannot set ") + std::string(what));
    }
    field = *value;
  }
}

namespace detail {

// Runs `body(L)` and converts a C++ exception escaping it into a Lua error. The error is raised
// only after the body's frames, and the exception object, are gone, so no Lua error ever passes
// over a live C++ destructor.
template <int (*Body)(lua_State*)>
int Guarded(lua_State* L) {
  bool failed = false;
  int results = 0;
  try {
    results = Body(L);
  } catch (const std::exception& error) {
    lua_pushstring(L, error.what());
    failed = true;
  }
  if (failed) return lua_error(L);
  return results;
}

// A C++ object living inside a Lua userdata, after this header; destroyed by its __gc.
struct HeldObject {
  void (*destroy)(void* userdata);  // null when there is nothing to destroy
  bool alive;                       // false once destroyed (a finalizer may still reach it)
};

template <typename F>
constexpr std::size_t HeldOffset() {
  return (sizeof(HeldObject) + alignof(F) - 1) / alignof(F) * alignof(F);
}

template <typename F>
void DestroyHeld(void* userdata) {
  reinterpret_cast<F*>(static_cast<unsigned char*>(userdata) + HeldOffset<F>())->~F();
}

// Lua aligns userdata memory for its own largest type only.
inline constexpr std::size_t kUserdataAlignment =
    alignof(lua_Number) < alignof(void*) ? alignof(void*) : alignof(lua_Number);

// Pushes a userdata holding a moved copy of `object`; its metatable destroys the copy when
// Lua collects it.
void SetHeldMetatable(lua_State* L);

template <typename F>
F* PushHeld(lua_State* L, F&& object) {
  using U = std::remove_cvref_t<F>;
  static_assert(alignof(U) <= kUserdataAlignment, "over-aligned type in a userdata");
  constexpr std::size_t offset = HeldOffset<U>();
  auto* memory = static_cast<unsigned char*>(lua_newuserdatauv(L, offset + sizeof(U), 0));
  auto* header = reinterpret_cast<HeldObject*>(memory);
  header->destroy = nullptr;
  header->alive = true;
  U* held = new (memory + offset) U(std::forward<F>(object));
  if constexpr (!std::is_trivially_destructible_v<U>) {
    header->destroy = &DestroyHeld<U>;
    SetHeldMetatable(L);
  }
  return held;
}

// The object held by the userdata at `index`; raises lua::Error when it was already
// destroyed (only a finalizer running while the state closes can see that).
template <typename F>
F* HeldAt(lua_State* L, int index) {
  auto* memory = static_cast<unsigned char*>(lua_touserdata(L, index));
  if (!reinterpret_cast<HeldObject*>(memory)->alive) {
    throw Error("a bound function was used while its Lua state was closing");
  }
  return reinterpret_cast<F*>(memory + HeldOffset<F>());
}

}  // namespace detail
}  // namespace lua
