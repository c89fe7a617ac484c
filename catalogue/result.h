// The one way every layer says how an operation went: its value, or the failure that left it without one
// (a fault and its details, worded by describe()).
#pragma once

#include "failure.h"

#include <string>
#include <utility>
#include <variant>

namespace specialty {

std::string describe(const Failure& failure); // messages.h

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {} // NOLINT: a value is a success

    static Result failure(Failure failure) { return Result(std::move(failure)); }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    // The value, when ok().
    const T& value() const { return *std::get_if<0>(&state_); }
    T& value() { return *std::get_if<0>(&state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    // Why there is no value, when not ok().
    const Failure& error() const { return *std::get_if<1>(&state_); }
    // The same, worded for the user; empty when there is a value.
    std::string reason() const { return ok() ? std::string() : describe(error()); }

  private:
    explicit Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}
    std::variant<T, Failure> state_;
};

// The result of an operation that yields nothing but success.
struct Done {};
using Status = Result<Done>;

} // namespace specialty
