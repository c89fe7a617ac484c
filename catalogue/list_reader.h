// The comma-separated list syntax shared by the catalogue and the description files.
//
// Items are separated by commas and by line ends (CR LF, LF or a lone CR). Blanks (spaces, tabs) in front
// of an item are skipped. An unquoted item runs to the next comma or line end and loses its trailing blanks;
// a double quote inside it is an ordinary character. A quoted item runs to the next double quote, commas and
// line ends included, and whatever stands between that closing quote and the next comma or line end is
// ignored. A comma followed by a line end (or by the end of the file) gives an empty item; an empty or
// blank-only line gives none.
//
// The file streams through a fixed-size buffer and items are handed out as views into it, without copies.
// The items of one unit (a catalogue record, say) stay readable until the next unit begins; an item longer
// than the item limit keeps only its first bytes and is flagged as truncated, so memory never grows with the
// size of the file, whatever it holds.
#pragma once

#include "regular_file.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

struct ItemSpan {
    std::size_t offset = 0; // from the start of the current unit
    std::size_t length = 0;
    bool truncated = false; // longer than the item limit: only the first bytes are kept
};

class ListReader {
public:
    static constexpr std::size_t kDefaultMaxItemBytes = 64 * 1024;
    static constexpr std::size_t kDefaultChunkBytes = 256 * 1024;

    explicit ListReader(std::size_t maxItemBytes = kDefaultMaxItemBytes,
                        std::size_t chunkBytes = kDefaultChunkBytes);

    // Opens a file; on failure returns false with a reason in `why`.
    bool open(const std::string& path, std::string& why);
    // Reads from bytes in memory instead (they must outlive the reader); used by tests and fuzzing.
    void openMemory(std::string_view bytes);
    void close();

    // Starts a new unit: the items read so far may be discarded.
    void beginUnit() { unit_ = pos_; }
    // True when nothing but blanks and line ends is left. Also true after a read failure.
    bool atEnd();
    // Reads the next item; false when the file ends first, or on a read failure.
    bool readItem(ItemSpan& item);
    std::string_view text(const ItemSpan& item) const {
        return {buffer_.data() + unit_ + item.offset, item.length};
    }

    bool failed() const { return !failure_.empty(); }
    const std::string& failure() const { return failure_; }
    std::size_t maxItemBytes() const { return maxItem_; }

private:
    bool refill();
    bool skipBlanks(bool lineEndsToo);
    // Scans to the first byte of `stops` (a three-character set) or the end of the file, keeping at most
    // the item limit of the bytes from `itemStart` (relative to the unit). Returns false at the end of file.
    bool scanItem(std::size_t itemStart, bool quoted, bool& truncated);
    bool skipToTerminator();
    void consumeTerminator();

    RegularFile file_;
    std::string_view memory_;
    bool fromMemory_ = false;
    std::vector<char> buffer_;
    std::size_t unit_ = 0; // where the current unit begins
    std::size_t pos_ = 0;  // next byte to read
    std::size_t end_ = 0;  // end of the bytes in the buffer
    bool endOfFile_ = true;
    bool afterComma_ = false;
    std::string failure_;
    std::size_t maxItem_;
    std::size_t chunk_;
};

} // namespace specialty
