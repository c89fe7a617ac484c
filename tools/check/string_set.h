// A set of byte strings found by a 64-bit hash, for what check keeps of every part code or VehicleId: the
// hash only picks the candidates, and the bytes decide: a short string's are kept in its entry, a longer
// one's end to end in fixed blocks. Each string carries a 64-bit value. Everything stays within `maxBytes`;
// past that, add() says the set is full.
#pragma once

#include "tools/check/chunked_pool.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

class StringSet {
  public:
    explicit StringSet(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    enum class Added { New, Present, Full };
    // Adds `text` with `value` unless it is there; `value` is then set to the value it was added with.
    Added add(std::string_view text, std::uint64_t& value);
    bool contains(std::string_view text) const;
    // The hash that picks the candidates: strings that share it are told apart by their bytes alone.
    static std::uint64_t hash(std::string_view text);

  private:
    // 32 bytes: a string of up to kInPlace bytes is held in the entry itself, so that finding it reads
    // the slot and the entry and nothing more; a longer one is kept in the blocks.
    static constexpr std::size_t kInPlace = 15;
    struct Entry {
        std::uint64_t hash;
        std::uint64_t value;
        // A short string's bytes, zeros after them, and its length in the last byte; for a longer string,
        // where it is kept (Kept) and kKept in the last byte.
        char held[kInPlace + 1];
    };
    static constexpr char kKept = '\xFF';
    struct Kept {
        std::uint32_t block, offset, length;
    };
    // A string to look for: its hash, and when short, the `held` bytes of an entry holding it.
    struct Key {
        std::uint64_t hash;
        char held[kInPlace + 1];
    };
    static Key keyOf(std::string_view text);
    bool holds(const Entry& e, const Key& key, std::string_view text) const;
    static constexpr std::size_t kBlockBytes = 1 << 20;

    std::size_t find(const Key& key, std::string_view text) const; // the slot, or a free one
    std::size_t bytes() const;
    bool grow();

    std::size_t maxBytes_;
    // 0 free, otherwise the high bits of the entry's hash over its index + 1 (the low 21 bits), so that a
    // look along the slots rarely needs an entry; a power of two long.
    static constexpr std::uint32_t kIndexMask = (1u << 21) - 1;
    std::vector<std::uint32_t> slots_;
    ChunkedPool<Entry, 8192> entries_;
    std::vector<std::string> blocks_; // strings end to end, none across two blocks
};

} // namespace specialty
