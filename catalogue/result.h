// The catalogue layer's one way of saying how an operation went: its value, or the reason it has none,
// written for the user (which file, which record, which field).
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace specialty {

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {} // NOLINT: a value converts to its success

    static Result failure(std::string reason) {
        Result result;
        result.reason_ = std::move(reason);
        return result;
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    // Why there is no value; empty when there is one.
    const std::string& reason() const { return reason_; }

  private:
    Result() = default;
    std::optional<T> value_;
    std::string reason_;
};

// The result of an operation that yields nothing but success.
struct Done {};
using Status = Result<Done>;

} // namespace specialty
