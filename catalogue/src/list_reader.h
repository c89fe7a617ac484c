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
#include "simd_kernel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

struct BlockMasks;

struct ItemSpan {
    std::size_t offset = 0; // from the start of the current unit
    std::size_t length = 0;
    std::uint64_t fileOffset = 0; // where the item begins in the file (after its opening quote, if any)
    bool truncated = false;       // longer than the item limit: only the first bytes are kept
};

class ListReader {
  public:
    static constexpr std::size_t kDefaultMaxItemBytes = 64 * 1024;
    static constexpr std::size_t kDefaultChunkBytes = 256 * 1024;

    explicit ListReader(std::size_t maxItemBytes = kDefaultMaxItemBytes,
                        std::size_t chunkBytes = kDefaultChunkBytes, SimdKernel kernel = SimdKernel::Best);

    Status open(const std::string& path);
    // Reads from bytes in memory instead (they must outlive the reader); used by tests and fuzzing.
    void openMemory(std::string_view bytes);
    void close();

    // Starts a new unit: the items read so far may be discarded.
    void beginUnit() {
        unit_ = pos_;
        unitAfterComma_ = afterComma_;
    }

    // A quick look at the next unit of `items` items (more than three): where it ends, and its first and
    // third items, found 64 bytes at a time without splitting every item. It works only on plain bytes;
    // where the careful reading is needed (a blank-only line, a quote that does not open an item, the end of
    // the file, a unit longer than the item limit) it returns false and consumes nothing. After true the
    // unit is consumed; rewindUnit() goes back to its start to read it item by item.
    struct Skim {
        std::string_view first;
        std::string_view third;
    };
    bool skimUnit(int items, Skim& skim);
    // The same quick look, giving every item of the unit (at most kMostSkimItems) as readItem() would: true
    // with `items` spans filled and the unit consumed, or false with nothing consumed.
    static constexpr int kMostSkimItems = 32;
    bool skimItems(int items, ItemSpan* spans);
    // Skims unit after unit until `stop(skim, passed)` says to stop at one (true: that unit is consumed and
    // `stopped` is set) or a unit is not plain (nothing of it consumed). Returns how many units went by.
    // Defined in list_skim.h.
    template <typename Stop>
    std::int64_t skimUnits(int items, Stop&& stop, Skim& skim, bool& stopped, std::int64_t most);

    // Passes over whole units a block at a time, without looking at any unit on its own, for as long as
    // none can begin its first item with a byte of `firstBytes` or its third with one of `thirdBytes`. Stops
    // at a unit boundary: before the first unit that may, after `most` units, or before bytes that are not
    // plain. Returns how many units went by.
    // `thirdTest`, when set, is asked about a third item that begins with one of `thirdBytes` and lies
    // whole in the bytes at hand; the pass stops there only when it says yes.
    struct PassTarget {
        std::string_view firstBytes;
        std::string_view thirdBytes;
        std::int64_t most;
        bool (*thirdTest)(std::string_view item, const void* context) = nullptr;
        const void* context = nullptr;
    };
    std::int64_t passUnits(int items, const PassTarget& target);
    void rewindUnit() {
        skim_.valid = false;
        pos_ = unit_;
        afterComma_ = unitAfterComma_;
    }
    // True when nothing but blanks and line ends is left. Also true after a read failure.
    bool atEnd();
    // Reads the next item; false when the file ends first, or on a read failure.
    bool readItem(ItemSpan& item);
    std::string_view text(const ItemSpan& item) const {
        return {buffer_.data() + unit_ + item.offset, item.length};
    }

    // Where the next byte to read lies in the file.
    std::uint64_t fileOffset() const { return base_ + pos_; }

    bool failed() const { return !failure_.empty(); }
    const std::string& failure() const { return failure_; }
    std::size_t maxItemBytes() const { return maxItem_; }

  private:
    bool refill();
    // The quick look, written once (list_skim.inc) and compiled for each instruction set it runs on.
    // A block function classifies the 64 bytes at `offset` from the unit's start into item ends, carrying
    // the quote and line state from the block before; false when the block is not plain.
    struct SkimBlock;
    bool skimStartSse2(std::ptrdiff_t& offset, std::uint64_t& ends);
    bool skimUnitSse2(int items, Skim& skim);
    bool skimItemsSse2(int items, ItemSpan* spans);
    bool skimBlockSse2(std::size_t offset, std::uint64_t& ends, BlockMasks& masks, const char*& block,
                       const char* watch, SkimBlock& state);
    std::int64_t passUnitsSse2(int items, const PassTarget& target);
    bool skimStartAvx2(std::ptrdiff_t& offset, std::uint64_t& ends);
    bool skimUnitAvx2(int items, Skim& skim);
    bool skimItemsAvx2(int items, ItemSpan* spans);
    bool skimBlockAvx2(std::size_t offset, std::uint64_t& ends, BlockMasks& masks, const char*& block,
                       const char* watch, SkimBlock& state);
    std::int64_t passUnitsAvx2(int items, const PassTarget& target);
    void startUnitAt(std::size_t offset); // a unit boundary `offset` bytes into the current unit
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
    std::size_t unit_ = 0;   // where the current unit begins
    std::size_t pos_ = 0;    // next byte to read
    std::size_t end_ = 0;    // end of the bytes in the buffer
    std::uint64_t base_ = 0; // file offset of buffer position 0
    bool endOfFile_ = true;
    bool afterComma_ = false;
    bool unitAfterComma_ = false;

    // The quick look keeps the item ends of the block it stopped in, so the next unit does not classify
    // those bytes again. Offsets are absolute in the buffer; moving the buffer's contents moves them too.
    struct SkimBlock {
        bool valid = false;
        std::ptrdiff_t start = 0; // of the last block classified
        std::uint64_t ends = 0;   // item ends in it
        std::uint64_t inside = 0; // state after it: all ones inside quotes
        std::uint64_t lineBefore = 0;
        std::uint64_t endBefore = 1;
        std::uint64_t blankBefore = 0;
    };
    SkimBlock skim_;
    std::string failure_;
    std::size_t maxItem_;
    std::size_t chunk_;
    bool avx2_;
};

} // namespace specialty
