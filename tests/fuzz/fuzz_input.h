// Splits a fuzzer's input into the few parameters a target needs and the bytes it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace specialty::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        std::int32_t out;
        std::memcpy(&out, &v, sizeof out);
        return out;
    }
    std::string_view take(std::size_t count) {
        std::string_view part = rest_.substr(0, count);
        rest_.remove_prefix(part.size());
        return part;
    }
    std::string_view rest() const { return rest_; }

  private:
    std::string_view rest_;
};

// Stops the run with a crash the fuzzer records, when the two readings disagree.
inline void require(bool agreed) {
    if (!agreed) std::abort();
}

} // namespace specialty::fuzz
