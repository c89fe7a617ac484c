// The comma-separated list syntax shared by the catalogue and the description files.
//
// Items are separated by commas and by line ends (CR LF, LF or a lone CR). Blanks (spaces, tabs) in front
// of an item are skipped. An unquoted item runs to the next comma or line end and loses its trailing blanks;
// a double quote inside it is an ordinary character. A quoted item runs to the next double quote, commas and
// line ends included, and whatever stands between that closing quote and the next comma or line end is
// ignored. A comma followed by a line end (or by the end of the file) gives an empty item; an empty or
// blank-only line gives none.
//
// The file streams through a fixed-size buffer (list_buffer.h) and items are handed out as views into it,
// without copies. The items of one unit (a catalogue record, say) stay readable until the next unit begins;
// an item longer than the item limit keeps only its first bytes and is flagged as truncated, so memory never
// grows with the size of the file, whatever it holds.
//
// Items are read one by one here; plain units are split, or passed over, 64 bytes at a time by a block
// kernel (block_kernel.h), with the same results.
#pragma once

#include "block_kernel.h"
#include "catalogue/simd_kernel.h"
#include "list_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

class ListReader {
  public:
    static constexpr std::size_t kDefaultMaxItemBytes = 64 * 1024;
    static constexpr std::size_t kDefaultChunkBytes = 256 * 1024;

    explicit ListReader(std::size_t maxItemBytes = kDefaultMaxItemBytes,
                        std::size_t chunkBytes = kDefaultChunkBytes, SimdKernel kernel = SimdKernel::Best);

    Status open(const std::string& path) {
        known_.valid = false;
        return in_.open(path);
    }
    void open(RegularFile file) {
        known_.valid = false;
        in_.open(std::move(file));
    }
    // Reads from bytes in memory instead (they must outlive the reader); used by tests and fuzzing.
    void openMemory(std::string_view bytes) {
        known_.valid = false;
        in_.openMemory(bytes);
    }
    void close() {
        in_.close();
        known_.valid = false;
    }

    // Starts a new unit: the items read so far may be discarded.
    void beginUnit() { in_.beginUnit(); }
    // Goes back to the start of the current unit.
    void rewindUnit() {
        known_.valid = false;
        in_.rewindUnit();
    }

    // A quick look at the next unit of `items` items (at least three): its first and third items, found 64
    // bytes at a time without making the others. It works only on plain bytes; where the careful reading is
    // needed (a blank-only line, a quote that does not open an item, the end of the file, a unit longer
    // than the item limit) it returns false and consumes nothing. After true the unit is consumed;
    // rewindUnit() goes back to its start to read it item by item.
    struct Skim {
        std::string_view first;
        std::string_view third;
    };
    bool skimUnit(int items, Skim& skim);
    // The same quick look, giving every item of the unit (at most kMostSkimItems) as readItem() would: true
    // with `items` spans filled and the unit consumed, or false with nothing consumed.
    static constexpr int kMostSkimItems = 32;
    bool skimItems(int items, ItemSpan* spans) {
        return items >= 1 && items <= kMostSkimItems && kernel_ != nullptr &&
               kernel_->splitUnit(in_, known_, maxItem_, items, items, spans);
    }
    // Skims unit after unit until `stop(skim, passed)` says to stop at one (true: that unit is consumed and
    // `stopped` is set) or a unit is not plain (nothing of it consumed). Returns how many units went by.
    template <typename Stop>
    std::int64_t skimUnits(int items, Stop&& stop, Skim& skim, bool& stopped, std::int64_t most) {
        stopped = false;
        std::int64_t passed = 0;
        while (passed < most && skimUnit(items, skim)) {
            if (stop(static_cast<const Skim&>(skim), passed)) {
                stopped = true;
                break;
            }
            ++passed;
        }
        return passed;
    }
    // Passes over whole units a block at a time, without looking at any unit on its own, for as long as
    // none is watched for by `target` (see PassTarget). Stops at a unit boundary: before the first unit that
    // may be, after target.most units, or before bytes that are not plain. Returns how many units went by.
    std::int64_t passUnits(int items, const PassTarget& target) {
        return kernel_ != nullptr ? kernel_->passUnits(in_, known_, maxItem_, items, target) : 0;
    }

    // True when nothing but blanks and line ends is left. Also true after a read failure.
    bool atEnd();
    // Reads the next item; false when the file ends first, or on a read failure.
    bool readItem(ItemSpan& item);
    std::string_view text(const ItemSpan& item) const {
        return {in_.data() + in_.unit + item.offset, item.length};
    }

    // Where the next byte to read lies in the file.
    std::uint64_t fileOffset() const { return in_.base + in_.pos; }

    // Counts lines as the bytes go by: readItem() names each item's line, lineOf() that of an item split
    // by the quick look, lineHere() that of the next byte. Each asks about a place at or after the last.
    void countLines() { in_.countLines(); }
    bool countsLines() const { return in_.lines.on; }
    std::uint64_t lineOf(const ItemSpan& item) { return in_.lineAt(in_.unit + item.offset); }
    std::uint64_t lineHere() { return in_.lineAt(in_.pos); }
    // Whether a byte counted since clearHigh() is not ASCII, counting up to the end of `item` first.
    bool highThrough(const ItemSpan& item) {
        in_.tallyTo(in_.unit + item.offset + item.length);
        return in_.lines.high;
    }
    void clearHigh() { in_.lines.high = false; }
    const LineTally& lineTally() const { return in_.lines; }
    const char* unitBytes() const { return in_.data() + in_.unit; }
    // Keeps the current unit's bytes in the buffer until holdUnit() is called again (see ListBuffer::hold).
    void holdUnit() { in_.hold(in_.unit); }
    std::ptrdiff_t moved() const { return in_.moved(); }

    bool failed() const { return in_.failure.has_value(); }
    const Failure& failure() const { return *in_.failure; } // once failed()
    std::size_t maxItemBytes() const { return maxItem_; }

  private:
    bool skipBlanks(bool lineEndsToo);
    // Scans to the item's end (its closing quote when `quoted`, else the next comma or line end) or the end
    // of the file, keeping at most the item limit of the bytes from `itemStart` (relative to the unit).
    // Returns false at the end of the file.
    bool scanItem(std::size_t itemStart, bool quoted, bool& truncated);
    bool skipToTerminator();
    void consumeTerminator();

    ListBuffer in_;
    KnownBlock known_; // the last block a quick look classified
    std::size_t maxItem_;
    const BlockKernel* kernel_; // none where the processor cannot run one: everything is read item by item
};

} // namespace specialty
