// A GL entry point resolved at run time. It stays null when the driver lacks
// it, and a call through a null entry does nothing and returns a zero value,
// so code may call optional extensions without checking them first.
#pragma once

#include <cstddef>

template <typename Fn> struct gl_entry;

template <typename R, typename... Args> struct gl_entry<R (*)(Args...)> {
  using pointer = R (*)(Args...);
  pointer fn = nullptr;

  R operator()(Args... args) const {
    if (!fn)
      return R();
    return fn(args...);
  }
  explicit operator bool() const { return fn != nullptr; }
  bool operator==(std::nullptr_t) const { return fn == nullptr; }
  bool operator!=(std::nullptr_t) const { return fn != nullptr; }
  gl_entry &operator=(void *address) {
    fn = reinterpret_cast<pointer>(address);
    return *this;
  }
};
