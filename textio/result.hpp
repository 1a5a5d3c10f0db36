#pragma once

#include <cassert>
#include <utility>
#include <variant>

namespace skaldur::textio {

// The failure half of a Result; made by fail(error).
template <class E>
struct Failure {
  E error;
};

template <class E>
Failure<E> fail(E error) {
  return Failure<E>{std::move(error)};
}

// A value or the reason there is none. Conversions that can fail return one
// of these instead of throwing or falling back to a silent default.
template <class T, class E>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure<E> failure) : v_(std::in_place_index<1>, std::move(failure.error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  const T& value() const& {
    assert(ok());
    return std::get<0>(v_);
  }
  T& value() & {
    assert(ok());
    return std::get<0>(v_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(v_));
  }
  const E& error() const {
    assert(!ok());
    return std::get<1>(v_);
  }

  const T& operator*() const& { return value(); }
  const T* operator->() const { return &value(); }

 private:
  std::variant<T, E> v_;
};

}  // namespace skaldur::textio
