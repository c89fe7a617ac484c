// Line numbers of file offsets: where each line of a file begins (CR LF, LF and a lone CR end a line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace specialty {

class LineIndex {
  public:
    // Reads the file; false with `why` set when it cannot be read.
    bool build(const std::string& path, std::string& why);

    // The line (from 1) that holds `offset`. Offsets asked for must not decrease from call to call.
    std::uint64_t lineOf(std::uint64_t offset);

  private:
    std::vector<std::uint64_t> starts_; // offset where each line begins
    std::size_t cursor_ = 0;
};

} // namespace specialty
