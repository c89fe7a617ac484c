// Texts of a review sheet's parts (a description's beginning, why a picture does not decode), kept in a
// temporary file rather than in memory: a catalogue can have millions of parts, each with up to a few
// thousand bytes of them. Texts may be added from several threads at once.
#pragma once

#include "catalogue/failure.h"
#include "tools/sheet/temporary_file.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace specialty {

class PartTextStore {
  public:
    static constexpr std::uint64_t kNone = UINT64_MAX;

    PartTextStore();
    // Keeps `texts`; returns where to find them again.
    std::uint64_t add(const std::vector<std::string>& texts);
    // The texts added at `at` (none for kNone); none once the file fails, which failure() then tells.
    std::vector<std::string> at(std::uint64_t at) const;
    std::optional<Failure> failure() const;

  private:
    void fail() const;

    TemporaryStream file_;
    std::uint64_t end_ = 0;
    mutable bool writing_ = true; // the file is positioned at its end
    std::unique_ptr<std::mutex> lock_ = std::make_unique<std::mutex>();
    mutable std::optional<Failure> failure_;
};

} // namespace specialty
