// What the image decoders warn about while a picture is decoded: a JPEG cut short still decodes, grey
// below the cut, and says so only as a warning.
#pragma once

#include <string>
#include <vector>

namespace specialty {

// While an object of this class lives, Qt's warnings on this thread are collected instead of printed.
// Qt offers one process-wide message handler; this installs it for its lifetime and restores the one
// before it afterwards.
class DecoderWarnings {
  public:
    DecoderWarnings();
    ~DecoderWarnings();
    DecoderWarnings(const DecoderWarnings&) = delete;
    DecoderWarnings& operator=(const DecoderWarnings&) = delete;

    const std::vector<std::string>& messages() const { return messages_; }
    void add(std::string message) { messages_.push_back(std::move(message)); }

  private:
    std::vector<std::string> messages_;
    DecoderWarnings* outer_;
};

} // namespace specialty
