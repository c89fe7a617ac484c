// A set of byte strings found by a 64-bit hash, for what check keeps of every part code or VehicleId: the
// hash only picks the candidates, and the bytes decide. Each string carries a 64-bit value. Everything
// stays within `maxBytes`; past that, add() says the set is full.
//
// Part codes and VehicleIds are short: a string of up to kInlineBytes bytes is kept in its entry, beside its
// length and hash, so that a look compares three words of one entry. A longer one is kept end to end with
// the others in fixed blocks.
#pragma once

#include "tools/check/chunked_pool.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

class StringSet {
  public:
    static constexpr std::size_t kInlineBytes = 19;

    explicit StringSet(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    enum class Added { New, Present, Full };
    // Adds `text` with `value` unless it is there; `value` is then set to the value it was added with.
    Added add(std::string_view text, std::uint64_t& value);
    bool contains(std::string_view text) const;

  private:
    // What tells a string apart, as three words. A short string: its bytes, zeros to byte 19, its length
    // (a byte), then the low half of its hash. A longer one: its whole hash, where its bytes are kept (in an
    // entry), and a length byte no short string has, beside its length.
    struct Key {
        std::uint64_t word[3];
        std::uint64_t hash;
    };
    struct Entry {
        std::uint64_t value;
        std::uint64_t word[3];
    };
    static constexpr std::size_t kBlockBytes = 1 << 20;

    static Key shortKey(std::string_view text); // of up to kInlineBytes bytes
    static Key longKey(std::string_view text);
    static std::uint64_t hashOf(const Entry& entry); // the part of the hash the slots are found by
    template <bool kLong>
    bool holds(const Entry& entry, const Key& key, std::string_view text) const;
    template <bool kLong>
    std::size_t find(const Key& key, std::string_view text) const; // the slot, or a free one
    std::size_t findAny(const Key& key, std::string_view text) const;
    Added addLong(std::string_view text, std::uint64_t& value);
    // Adds `text`, whose key is `key`, unless it is there (see add()).
    template <bool kLong>
    Added addKeyed(const Key& key, std::string_view text, std::uint64_t& value);
    std::size_t bytes() const;
    bool grow();
    // Adds `text`, not held, in free slot `slot` (or none before the first add).
    Added addNew(const Key& key, std::string_view text, std::uint64_t value, std::size_t slot);

    std::size_t maxBytes_;
    // 0 free, otherwise the high bits of the entry's hash over its index + 1 (the low 21 bits), so that a
    // look along the slots rarely needs an entry; a power of two long.
    static constexpr std::uint32_t kIndexMask = (1u << 21) - 1;
    std::vector<std::uint32_t> slots_;
    ChunkedPool<Entry, 8192> entries_;
    std::vector<std::string> blocks_; // the longer strings end to end, none across two blocks
};

} // namespace specialty
