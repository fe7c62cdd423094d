#pragma once
// Binding C++ callables as Lua functions.
//
//   lua_State* L = ...;
//   lua::PushFunction(L, [](int entity) { return entity * 2; });   // a C closure on the stack
//
// The callable is moved into a userdata that is the closure's only upvalue; its destructor runs
// when Lua collects the closure (or the state closes). A lambda without captures is pushed as
// a plain C function instead. Arguments are read and results pushed by
// the rules of stack.h. When an argument is out of range the callable is not called: a function
// with a result returns nil, one without returns nothing. A C++ exception leaving the callable
// becomes a Lua error carrying its text.

#include <lua.h>

#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "scripting/lua/stack.h"

namespace lua {
namespace detail {

template <typename Signature>
struct SignatureOf;

template <typename R, typename... A>
struct SignatureOf<R(A...)> {
  using Result = R;
  using Arguments = std::tuple<A...>;
  static constexpr std::size_t kArity = sizeof...(A);
};
template <typename R, typename... A>
struct SignatureOf<R (*)(A...)> : SignatureOf<R(A...)> {};
template <typename C, typename R, typename... A>
struct SignatureOf<R (C::*)(A...)> : SignatureOf<R(A...)> {};
template <typename C, typename R, typename... A>
struct SignatureOf<R (C::*)(A...) const> : SignatureOf<R(A...)> {};

// The signature of a function pointer or of a lambda's call operator.
template <typename F, typename = void>
struct CallableTraits : SignatureOf<std::remove_cvref_t<F>> {};
template <typename F>
struct CallableTraits<F, std::void_t<decltype(&std::remove_cvref_t<F>::operator())>>
    : SignatureOf<decltype(&std::remove_cvref_t<F>::operator())> {};

// How an argument is held while the call runs: bound types by reference (they live in Lua),
// everything else by value.
template <typename T>
using ArgumentStorage =
    std::conditional_t<std::is_reference_v<T> && kIsBound<std::remove_cvref_t<T>>, T,
                       std::remove_cvref_t<T>>;

// Reads the arguments from stack index `first` on and calls `function` with `prefix...`
// before them; pushes the result. Returns the number of results.
template <typename Arguments, typename Function, typename... Prefix, std::size_t... I>
int InvokeWith(lua_State* L, int first, Function& function, std::index_sequence<I...>,
               Prefix&&... prefix) {
  bool outOfRange = false;
  std::tuple<ArgumentStorage<std::tuple_element_t<I, Arguments>>...> values{
      ReadArgument<std::tuple_element_t<I, Arguments>>(L, first + static_cast<int>(I),
                                                       outOfRange)...};
  using Result =
      decltype(std::invoke(function, std::forward<Prefix>(prefix)..., std::get<I>(values)...));
  if (outOfRange) {
    if constexpr (std::is_void_v<Result>) {
      return 0;
    } else {
      lua_pushnil(L);
      return 1;
    }
  }
  if constexpr (std::is_void_v<Result>) {
    std::invoke(function, std::forward<Prefix>(prefix)..., std::get<I>(values)...);
    (void)values;
    return 0;
  } else {
    return PushResult(
        L, std::invoke(function, std::forward<Prefix>(prefix)..., std::get<I>(values)...));
  }
}

// A callable without state (a lambda without captures) needs no upvalue: it is made afresh
// for each call.
template <typename F>
int CallStatelessFunction(lua_State* L) {
  using Traits = CallableTraits<F>;
  F function{};
  return InvokeWith<typename Traits::Arguments>(L, 1, function,
                                                std::make_index_sequence<Traits::kArity>{});
}

template <typename F>
inline constexpr bool kIsStateless =
    std::is_empty_v<F>&& std::is_default_constructible_v<F>&& std::is_class_v<F>;

template <typename F>
int CallHeldFunction(lua_State* L) {
  using Traits = CallableTraits<F>;
  F& function = *HeldAt<F>(L, lua_upvalueindex(1));
  return InvokeWith<typename Traits::Arguments>(L, 1, function,
                                                std::make_index_sequence<Traits::kArity>{});
}

}  // namespace detail

// Pushes a Lua function that calls `function`.
template <typename F>
void PushFunction(lua_State* L, F&& function) {
  using U = std::remove_cvref_t<F>;
  if constexpr (detail::kIsStateless<U>) {
    lua_pushcfunction(L, &detail::Guarded<&detail::CallStatelessFunction<U>>);
  } else {
    detail::PushHeld(L, std::forward<F>(function));
    lua_pushcclosure(L, &detail::Guarded<&detail::CallHeldFunction<U>>, 1);
  }
}

}  // namespace lua
