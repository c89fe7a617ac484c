// What the image decoders warn about while a picture is decoded: a JPEG cut short still decodes, grey
// below the cut, and says so only as a warning.
#pragma once

#include <string>
#include <vector>

namespace specialty {

// While an object of this class lives, Qt's warnings on this thread are collected instead of printed.
// Qt offers one process-wide message handler: the first collector installs one for the rest of the run,
// which hands what other threads are told to the handler that was there before, so that collectors on
// several threads at once never see each other's warnings nor undo each other's handler.
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
