#include "line_index.h"

#include "byte_scan.h"
#include "regular_file.h"

#include <cstring>

namespace specialty {

bool LineIndex::build(const std::string& path, std::string& why) {
    starts_.assign(1, 0);
    cursor_ = 0;
    RegularFile file;
    if (!file.open(path, why)) return false;
    std::vector<char> chunk(1 << 18);
    std::uint64_t base = 0;
    bool lastWasCR = false;
    for (;;) {
        long got = file.read(chunk.data(), chunk.size(), why);
        if (got < 0) return false;
        if (got == 0) return true;
        const char* begin = chunk.data();
        const char* end = begin + got;
        for (const char* p = findLineEnd(begin, end); p < end; p = findLineEnd(p + 1, end)) {
            const std::uint64_t next = base + static_cast<std::uint64_t>(p - begin) + 1;
            const bool crBefore = p > begin ? p[-1] == '\r' : lastWasCR;
            if (*p == '\n' && crBefore)
                starts_.back() = next; // CR LF is one line end
            else
                starts_.push_back(next);
        }
        lastWasCR = end[-1] == '\r';
        base += static_cast<std::uint64_t>(got);
    }
}

std::uint64_t LineIndex::lineOf(std::uint64_t offset) {
    while (cursor_ + 1 < starts_.size() && starts_[cursor_ + 1] <= offset)
        ++cursor_;
    return cursor_ + 1;
}

} // namespace specialty
