// A text made of many short pieces, as check words findings by the million: the pieces are gathered in a
// small buffer of its own and appended to the text in one go, so that a piece costs a copy, not a call
// into the string's growth.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace specialty {

class TextWriter {
  public:
    explicit TextWriter(std::string& text) : text_(text) {}
    ~TextWriter() { flush(); }
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // A literal, whose length is known where it is written.
    template <std::size_t N>
    void put(const char (&literal)[N]) {
        put(std::string_view(literal, N - 1));
    }
    void put(std::string_view piece) {
        if (piece.size() > kRoom - used_) {
            flush();
            if (piece.size() > kRoom) {
                text_.append(piece);
                return;
            }
        }
        std::memcpy(buffer_ + used_, piece.data(), piece.size());
        used_ += piece.size();
    }
    void put(char c) {
        if (used_ == kRoom) flush();
        buffer_[used_++] = c;
    }
    // A number in decimal, as std::to_string writes it.
    template <typename Number>
    void putNumber(Number n) {
        if (kRoom - used_ < kMostDigits) flush();
        used_ = static_cast<std::size_t>(std::to_chars(buffer_ + used_, buffer_ + kRoom, n).ptr - buffer_);
    }
    // Appends what was gathered to the text.
    void flush() {
        if (used_ == 0) return;
        text_.append(buffer_, used_);
        used_ = 0;
    }
    // The text with all that was gathered, for writing to it directly or taking it away.
    std::string& flushed() {
        flush();
        return text_;
    }
    // The length the text will have once flushed.
    std::size_t size() const { return text_.size() + used_; }

  private:
    static constexpr std::size_t kRoom = 512;
    static constexpr std::size_t kMostDigits = 24;
    std::string& text_;
    std::size_t used_ = 0;
    char buffer_[kRoom] = {}; // cleared once, so that no reading of it is ever of unset bytes
};

} // namespace specialty
