// The pass over whole units, written once for every instruction set. No include guard on purpose: included
// after block_kernel_generic.h, inside the same namespace (see there).

namespace {

// Fills `watched` with the bytes a pass watches, unused places repeating the first so that they add no
// candidates. Returns how many there are, or -1 when there are more than three.
int watchedBytes(const PassTarget& target, char (&watched)[3]) {
    int count = 0;
    for (std::string_view set : {target.firstBytes, target.thirdBytes})
        for (char c : set) {
            if (count == 3) return -1;
            watched[count++] = c;
        }
    for (int i = count; i > 0 && i < 3; ++i)
        watched[i] = watched[0];
    return count;
}

// The unit (from the unit start) to which the first candidate that may matter belongs, or INT64_MAX.
// `candidates` are watched bytes right after an item's end, a quote or a blank; `ends` the block's item ends;
// `itemsBefore` the items that ended since the unit start before the block.
SPECIALTY_NEVER_INLINE std::int64_t firstWatchedUnit(const PassTarget& goal, int items, const char* block,
                                                     std::uint64_t candidates, std::uint64_t ends,
                                                     std::int64_t itemsBefore) {
    for (; candidates != 0; candidates &= candidates - 1) { // the lowest candidate first, then cleared
        const int at = __builtin_ctzll(candidates);
        // The item ends below the candidate's byte ((1 << at) - 1 is ones below bit `at`) number its item.
        const std::int64_t item = itemsBefore + __builtin_popcountll(ends & ((std::uint64_t(1) << at) - 1));
        const std::int64_t place = item % items;
        const std::string_view set = place == 0   ? goal.firstBytes
                                     : place == 2 ? goal.thirdBytes
                                                  : std::string_view();
        if (set.find(block[at]) == std::string_view::npos) continue;
        // A third item that lies whole in the block, its first byte not the block's first (whose quote, if
        // any, is in the block before), is tested on the spot. ~((2 << at) - 1) keeps the bits above `at`.
        const std::uint64_t after = ends & ~((std::uint64_t(2) << at) - 1);
        if (place == 2 && goal.thirdTest != nullptr && at > 0 && after != 0 &&
            !goal.thirdTest(itemAt(block, at, __builtin_ctzll(after)), goal.context))
            continue;
        return item / items;
    }
    return INT64_MAX;
}

// The item ends of the last few blocks in which items ended, to find a stopping point a little back.
class RecentBlocks {
  public:
    void remember(std::ptrdiff_t offset, std::uint64_t ends, std::int64_t itemsBefore) {
        blocks_[count_++ % 4] = {offset, ends, itemsBefore};
    }
    // Where item `last` (from the unit start) ends: the byte after its terminator, and whether that lies in
    // the block at `current`. False when it lies further back than the blocks kept.
    bool endOf(std::int64_t last, std::ptrdiff_t current, std::ptrdiff_t& end, bool& inCurrent) const {
        for (std::uint32_t r = 0; r < std::min(count_, 4u); ++r) {
            const Block& b = blocks_[(count_ - 1 - r) % 4];
            if (last >= b.itemsBefore && last < b.itemsBefore + __builtin_popcountll(b.ends)) {
                end = b.offset + selectBit(b.ends, static_cast<int>(last - b.itemsBefore)) + 1;
                inCurrent = b.offset == current;
                return true;
            }
        }
        return false;
    }
    // The unit start moved `bytes` on, past `itemsPassed` items.
    void shift(std::ptrdiff_t bytes, std::int64_t itemsPassed) {
        for (std::uint32_t r = 0; r < std::min(count_, 4u); ++r) {
            blocks_[r].offset -= bytes;
            blocks_[r].itemsBefore -= itemsPassed;
        }
    }

  private:
    struct Block {
        std::ptrdiff_t offset;
        std::uint64_t ends;
        std::int64_t itemsBefore;
    } blocks_[4];
    std::uint32_t count_ = 0; // unsigned: the ring's index is count_ % 4 without a sign to mind
};

// Where a pass stands between blocks.
struct CommonRun {
    std::ptrdiff_t offset;     // of the next block, from the unit start
    std::ptrdiff_t lastEnd;    // offset of the last block in which an item ended
    std::int64_t items0;       // items ended since the unit start, before the next block
    std::uint64_t startBefore; // bit 0: the byte before the next block may come right before an item's first
};

// The masks of the block before, kept whole while the common blocks go by: `(x << 1) | (before >> 63)` moves
// a block's mask one byte on with the last byte of the block before in bit 0, so the loop only keeps the
// masks and takes the last byte's bits when it needs them.
struct MasksBefore {
    std::uint64_t quoted; // bit 63: the block before ends inside quotes
    std::uint64_t lines;
    std::uint64_t ender;
    std::uint64_t blank;
    std::uint64_t start; // bytes after which a watched byte may be an item's first: ends, quotes, blanks

    static MasksBefore from(const LineState& line, std::uint64_t startBefore) {
        return {line.inside, line.lineBefore << 63, line.endBefore << 63, line.blankBefore << 63,
                startBefore << 63};
    }
    // `0 - bit` is all ones for a bit of 1 and none for 0.
    LineState line() const {
        return {std::uint64_t(0) - (quoted >> 63), lines >> 63, ender >> 63, blank >> 63};
    }
};

// Takes the common blocks (plain, no candidate, no stop due) from `run.offset` up to the block at `last`,
// with the buffer's bounds and the state in registers, and stops before any other block: the full step of
// passUnits takes that one from the same state. Without `Watching` no byte is a candidate.
template <bool Watching>
SPECIALTY_ALWAYS_INLINE void passCommonBlocks(ListBuffer& in, std::ptrdiff_t last, const char (&watched)[3],
                                              std::int64_t stopItems, RecentBlocks& recent, KnownBlock& state,
                                              CommonRun& run) {
    const char* const base = in.data() + in.unit;
    MasksBefore before = MasksBefore::from(state.after, run.startBefore);
    std::uint64_t lastEnds = state.ends;
    std::ptrdiff_t offset = run.offset;
    // Items left before the stop, counted down instead of counting items up to it.
    std::int64_t left = stopItems - run.items0;
    for (; offset <= last; offset += 64) {
        const BlockMasks m = classify(base + offset, watched[0], watched[1], watched[2]);
        const BlockStep step = stepBlock(m, before.line());
        // A watched byte is a candidate where the byte before may end what comes before an item's first
        // byte: an item's end, a quote or a blank.
        const std::uint64_t start = step.ender | m.quote | m.blank;
        std::uint64_t leave = step.notPlain;
        if (Watching) leave |= m.watched & ((start << 1) | (before.start >> 63));
        if (leave) break; // not plain, or a watched candidate: one test for both
        const int here = __builtin_popcountll(step.ends);
        if (left <= here) break;
        before = {step.quoted, step.lines, step.ender, m.blank, start};
        lastEnds = step.ends;
        left -= here;
    }
    std::ptrdiff_t lastEnd = run.lastEnd;
    if (offset != run.offset) {
        state.start = in.unitFileOffset() + static_cast<std::uint64_t>(offset - 64);
        state.ends = lastEnds;
        state.after = before.line();
        // Only the last block is remembered, and taken as the last with item ends when it has some: a
        // stopping point further back is found by going over the stretch again, and a unit that looks
        // longer than it is goes to the careful reading, which reads it alike.
        if (lastEnds != 0) {
            lastEnd = offset - 64;
            recent.remember(lastEnd, lastEnds, stopItems - left - __builtin_popcountll(lastEnds));
        }
    }
    run = {offset, lastEnd, stopItems - left, before.start >> 63};
}

std::int64_t passUnits(ListBuffer& in, KnownBlock& known, std::size_t maxItem, int items,
                       const PassTarget& target) {
    char watched[3] = {};
    const int watchedCount = watchedBytes(target, watched);
    if (watchedCount < 0) return 0;
    bool watching = watchedCount > 0;
    PassTarget goal = target;
    // No file holds more units than this; keeping to it keeps the unit arithmetic below from overflowing.
    goal.most = std::min<std::int64_t>(goal.most, std::int64_t(1) << 48);
    // Where units end is settled (the unit start moved there) only every `anchorEvery` bytes, not at every
    // block; the item ends of the last few blocks are kept to find a stopping point that lies a little back.
    std::ptrdiff_t anchorEvery = 1024;
    const auto longest = static_cast<std::ptrdiff_t>(maxItem);
    std::int64_t passed = 0; // units before the unit start
    for (;;) {
        in.beginUnit();
        known.valid = false;
        KnownBlock state; // in registers while the pass runs; back to `known` when it stops
        state.after.lineBefore = in.afterComma ? 0 : 1;
        RecentBlocks recent;
        std::uint64_t startBefore = 1; // the byte before the block may come right before an item's first
        std::ptrdiff_t offset = 0;     // of the block, from the unit start
        std::ptrdiff_t lastEnd = 0;    // offset of the last block in which an item ended
        std::int64_t items0 = 0;       // items ended since the unit start, before the block
        bool again = false;
        // Stop before a block that would make a unit longer than the item limit: the careful reading
        // decides about such units.
        while (offset + 64 - lastEnd <= longest - 64) {
            // The common block (plain, no candidate, no stop or settling due) is taken here, with the
            // buffer's bounds and the state in registers. A block that is anything else is left to the
            // full step below, which takes it from the same state.
            {
                // The loop keeps the unit no longer than the item limit by bounding the offset once: the
                // last block with item ends only moves on while it runs.
                const std::ptrdiff_t last = std::min({static_cast<std::ptrdiff_t>(in.end - in.unit) - 64,
                                                      anchorEvery - 64, lastEnd + longest - 128});
                CommonRun run{offset, lastEnd, items0, startBefore};
                if (watching)
                    passCommonBlocks<true>(in, last, watched, (goal.most - passed) * items, recent, state,
                                           run);
                else
                    passCommonBlocks<false>(in, last, watched, (goal.most - passed) * items, recent, state,
                                            run);
                offset = run.offset;
                lastEnd = run.lastEnd;
                items0 = run.items0;
                startBefore = run.startBefore;
                if (offset + 64 - lastEnd > longest - 64) break;
            }
            std::uint64_t ends = 0;
            BlockMasks m;
            const char* block = nullptr;
            if (!nextBlock(in, state, static_cast<std::size_t>(offset), watched, ends, m, block)) break;
            const int here = __builtin_popcountll(ends);
            const std::int64_t itemsAfter = items0 + here;
            std::int64_t stopAt = goal.most - passed; // the unit to stop before, counted from the unit start
            if (stopAt * items > itemsAfter)
                stopAt = INT64_MAX; // that unit does not begin by this block's end
            if (watching) {
                const std::uint64_t before = m.comma | m.lineEnd | m.quote | m.blank;
                const std::uint64_t candidates = m.watched & ((before << 1) | startBefore);
                startBefore = before >> 63;
                if (candidates != 0)
                    stopAt = std::min(stopAt, firstWatchedUnit(goal, items, block, candidates, ends, items0));
            }
            if (here > 0) recent.remember(offset, ends, items0);
            if (stopAt == 0) {
                in.rewindUnit();
                known.valid = false;
                return passed;
            }
            if (stopAt != INT64_MAX) {
                std::ptrdiff_t boundary = 0;
                bool inThisBlock = false;
                if (recent.endOf(stopAt * items - 1, offset, boundary, inThisBlock)) {
                    in.startUnitAt(static_cast<std::size_t>(boundary));
                    state.valid = inThisBlock; // the known block is this one
                    known = state;
                    return passed + stopAt;
                }
                // Too far back: go over the stretch again from the unit start, settling every block.
                goal = {std::string_view(), std::string_view(), passed + stopAt, nullptr, nullptr};
                watching = false;
                anchorEvery = 0;
                again = true;
                break;
            }
            if (here > 0) lastEnd = offset;
            // Settling: the unit start moves to the end of the last unit that ends in this block.
            const std::int64_t complete = offset >= anchorEvery ? itemsAfter / items : 0;
            if (complete > 0 && complete * items - 1 >= items0) {
                const std::ptrdiff_t boundary =
                    offset + selectBit(ends, static_cast<int>(complete * items - 1 - items0)) + 1;
                in.startUnitAt(static_cast<std::size_t>(boundary));
                passed += complete;
                offset -= boundary;
                lastEnd -= boundary;
                items0 = itemsAfter - complete * items;
                recent.shift(boundary, complete * items);
            } else {
                items0 = itemsAfter;
            }
            offset += 64;
        }
        in.rewindUnit();
        known.valid = false;
        if (!again)
            return passed; // bytes that are not plain, or a unit too long: the careful reading goes on
    }
}

} // namespace
