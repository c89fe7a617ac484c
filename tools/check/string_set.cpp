#include "tools/check/string_set.h"

#include <cstring>

namespace specialty {

namespace {

constexpr std::uint64_t kSeed = 0x9E3779B97F4A7C15ULL;

// One step of the hash: a word taken in, and its bits spread.
std::uint64_t mix(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
    return h ^ (h >> 29);
}

// The last step: every bit spread over the low bits the table indexes by.
std::uint64_t finish(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

// Eight bytes (or four) as a number whose lowest byte is the first, whatever the machine's byte order.
template <typename Word>
Word load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = sizeof word == 8 ? Word(__builtin_bswap64(word)) : Word(__builtin_bswap32(std::uint32_t(word)));
#endif
    return word;
}
std::uint64_t load8(const char* bytes) {
    return load<std::uint64_t>(bytes);
}
std::uint64_t load4(const char* bytes) {
    return load<std::uint32_t>(bytes);
}

// The last `count` (0 to 7) of the eight bytes that end at `end`, as the low bytes of a number: a string
// of at least eight bytes is read in whole words that may overlap, never past its end.
std::uint64_t lastBytes(const char* end, std::size_t count) {
    return count == 0 ? 0 : load8(end - 8) >> (64 - 8 * count);
}

// The bytes of a string of up to 19 bytes as the low bytes of three words, zeros after them.
[[gnu::always_inline]] inline void shortWords(std::string_view text, std::uint64_t (&word)[3]) {
    const char* const p = text.data();
    const std::size_t n = text.size();
    word[0] = word[1] = word[2] = 0;
    if (n >= 16) {
        word[0] = load8(p);
        word[1] = load8(p + 8);
        word[2] = lastBytes(p + n, n - 16);
    } else if (n >= 8) {
        word[0] = load8(p);
        word[1] = lastBytes(p + n, n - 8);
    } else if (n >= 4) {
        word[0] = load4(p) | (load4(p + n - 4) >> (32 - 8 * (n - 4))) << 32;
    } else if (n > 0) {
        const auto byte = [&](std::size_t i) {
            return std::uint64_t(static_cast<unsigned char>(p[i])) << 8 * i;
        };
        word[0] = byte(0) | byte(n / 2) | byte(n - 1);
    }
}

// A hash of a string longer than a short key holds, taken eight bytes at a time, its length as well.
std::uint64_t hashOfLong(std::string_view text) {
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    std::uint64_t h = kSeed ^ size;
    for (std::size_t i = 0; i + 8 < size; i += 8)
        h = mix(h, load8(bytes + i));
    return finish(mix(h, load8(bytes + size - 8))); // the last eight, which may overlap those before
}

// The third word of a key holds the length byte at bit 24, the low half of a short string's hash or a
// longer string's length at bit 32.
constexpr std::uint64_t kLongMark = 0xFF; // the length byte of a longer string
// The second word of a longer string's key before it is kept: no place in the blocks.
constexpr std::uint64_t kNoPlace = ~std::uint64_t(0);
bool isLongKey(std::uint64_t third) {
    return (third >> 24 & 0xFF) == kLongMark;
}

} // namespace

[[gnu::always_inline]] inline StringSet::Key StringSet::shortKey(std::string_view text) {
    Key key;
    shortWords(text, key.word);
    key.word[2] |= std::uint64_t(text.size()) << 24;
    // The three words multiplied apart (the products do not wait on each other), then spread.
    key.hash =
        finish((key.word[0] ^ kSeed) * 0xFF51AFD7ED558CCDULL ^ (key.word[1] + kSeed) * 0xC4CEB9FE1A85EC53ULL ^
               (key.word[2] ^ 0x2545F4914F6CDD1DULL) * 0x9FB21C651E98DF25ULL);
    key.word[2] |= key.hash << 32;
    return key;
}

StringSet::Key StringSet::longKey(std::string_view text) {
    Key key;
    key.hash = hashOfLong(text);
    key.word[0] = key.hash;
    key.word[1] = kNoPlace;
    key.word[2] = kLongMark << 24 | std::uint64_t(text.size()) << 32;
    return key;
}

inline std::uint64_t StringSet::hashOf(const Entry& entry) {
    return isLongKey(entry.word[2]) ? entry.word[0] : entry.word[2] >> 32;
}

template <bool kLong>
[[gnu::always_inline]] inline bool StringSet::holds(const Entry& entry, const Key& key,
                                                    std::string_view text) const {
    // A longer string's entry never has a short string's third word, nor the reverse.
    if (entry.word[2] != key.word[2] || entry.word[0] != key.word[0]) return false;
    if (!kLong) return entry.word[1] == key.word[1]; // a short string: all its bytes agree
    const std::string& block = blocks_[static_cast<std::uint32_t>(entry.word[1])];
    return std::memcmp(block.data() + (entry.word[1] >> 32), text.data(), text.size()) == 0;
}

std::size_t StringSet::bytes() const {
    return slots_.size() * sizeof(std::uint32_t) + entries_.bytes() + blocks_.size() * kBlockBytes;
}

template <bool kLong>
[[gnu::always_inline]] inline std::size_t StringSet::find(const Key& key, std::string_view text) const {
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t high = static_cast<std::uint32_t>(key.hash >> 32) & ~kIndexMask;
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0) return i;
        // Only a slot with the same high bits of the hash is looked into.
        if (((slot ^ high) & ~kIndexMask) == 0 && holds<kLong>(entries_[(slot & kIndexMask) - 1], key, text))
            return i;
    }
}

bool StringSet::grow() {
    const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
    if (bytes() + size * sizeof(std::uint32_t) > maxBytes_) return false;
    std::vector<std::uint32_t> slots(size, 0);
    for (std::uint32_t s : slots_) {
        if (s == 0) continue;
        std::size_t i = hashOf(entries_[(s & kIndexMask) - 1]) & (size - 1);
        while (slots[i] != 0)
            i = (i + 1) & (size - 1);
        slots[i] = s;
    }
    slots_.swap(slots);
    return true;
}

std::size_t StringSet::findAny(const Key& key, std::string_view text) const {
    return isLongKey(key.word[2]) ? find<true>(key, text) : find<false>(key, text);
}

bool StringSet::contains(std::string_view text) const {
    if (slots_.empty()) return false;
    return slots_[findAny(text.size() > kInlineBytes ? longKey(text) : shortKey(text), text)] != 0;
}

template <bool kLong>
[[gnu::always_inline]] inline StringSet::Added StringSet::addKeyed(const Key& key, std::string_view text,
                                                                   std::uint64_t& value) {
    if (slots_.empty()) return addNew(key, text, value, 0);
    const std::size_t slot = find<kLong>(key, text);
    if (slots_[slot] == 0) return addNew(key, text, value, slot);
    value = entries_[(slots_[slot] & kIndexMask) - 1].value;
    return Added::Present;
}

StringSet::Added StringSet::add(std::string_view text, std::uint64_t& value) {
    // The look at a short string, most of them, calls nothing until it adds one.
    if (text.size() > kInlineBytes) return addLong(text, value);
    return addKeyed<false>(shortKey(text), text, value);
}

StringSet::Added StringSet::addLong(std::string_view text, std::uint64_t& value) {
    return addKeyed<true>(longKey(text), text, value);
}

StringSet::Added StringSet::addNew(const Key& key, std::string_view text, std::uint64_t value,
                                   std::size_t slot) {
    // The table grows before it is three quarters full; when it cannot, nothing more is added, so that
    // looks along it stay short.
    if ((entries_.size() + 1) * 4 > slots_.size() * 3) {
        if (!grow()) return Added::Full;
        slot = findAny(key, text);
    }
    const bool isLong = isLongKey(key.word[2]);
    const bool newBlock = isLong && (blocks_.empty() || blocks_.back().size() + text.size() > kBlockBytes);
    const bool newEntries = entries_.bytes() == entries_.size() * entries_.entryBytes();
    if (text.size() > kBlockBytes || entries_.size() + 1 >= kIndexMask ||
        bytes() + (newBlock ? kBlockBytes : 0) + (newEntries ? entries_.blockBytes() : 0) > maxBytes_)
        return Added::Full;
    Entry entry{value, {key.word[0], key.word[1], key.word[2]}};
    if (isLong) {
        if (newBlock) {
            blocks_.emplace_back();
            blocks_.back().reserve(kBlockBytes);
        }
        std::string& block = blocks_.back();
        entry.word[1] = (blocks_.size() - 1) | std::uint64_t(block.size()) << 32;
        block.append(text);
    }
    slots_[slot] = (static_cast<std::uint32_t>(key.hash >> 32) & ~kIndexMask) |
                   (static_cast<std::uint32_t>(entries_.push(entry)) + 1);
    return Added::New;
}

} // namespace specialty
