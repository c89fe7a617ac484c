// The one way every layer says how an operation went: its value, or the failure that left it without one
// (a fault and its details, worded by describe()).
#pragma once

#include "failure.h"

#include <optional>
#include <string>
#include <utility>

namespace specialty {

std::string describe(const Failure& failure); // messages.h

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {} // NOLINT: a value converts to its success

    static Result failure(Failure failure) {
        Result result;
        result.failure_ = std::move(failure);
        return result;
    }
    // A failure not yet given a fault of its own: `text` is the whole of what the user reads.
    static Result failure(std::string text) {
        Failure failure;
        failure.why = std::move(text);
        return Result::failure(std::move(failure));
    }
    // Another result's failure, passed on.
    template <typename U>
    static Result failure(const Result<U>& failed) {
        return Result::failure(failed.error());
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    // Why there is no value.
    const Failure& error() const { return failure_; }
    // The same, worded for the user; empty when there is a value.
    std::string reason() const { return ok() ? std::string() : describe(failure_); }

  private:
    Result() = default;
    std::optional<T> value_;
    Failure failure_;
};

// The result of an operation that yields nothing but success.
struct Done {};
using Status = Result<Done>;

} // namespace specialty
