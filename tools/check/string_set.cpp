#include "tools/check/string_set.h"

#include <cstring>

namespace specialty {

namespace {

std::uint64_t load(const char* bytes, std::size_t size) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, size);
    return word;
}

// A hash of `text` taken eight bytes at a time: the strings kept here (part codes, VehicleIds) are short,
// and a look costs a few multiplications instead of one a byte. A string of under eight bytes is taken as
// two overlapping halves, or as its first, middle and last bytes; its length is hashed as well.
std::uint64_t hashOf(std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0xFF51AFD7ED558CCDULL;
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ size;
    const auto mix = [&](std::uint64_t word) {
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    };
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 < size; i += 8)
            mix(load(bytes + i, 8));
        mix(load(bytes + size - 8, 8)); // the last eight, which may overlap those before
    } else if (size >= 4) {
        mix(load(bytes, 4) | load(bytes + size - 4, 4) << 32);
    } else if (size > 0) {
        const auto byte = [&](std::size_t i) { return std::uint64_t(static_cast<unsigned char>(bytes[i])); };
        mix(byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16);
    }
    h ^= h >> 33; // spread every bit over the low bits the table indexes by
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return h;
}

} // namespace

std::size_t StringSet::bytes() const {
    return slots_.size() * sizeof(std::uint32_t) + entries_.bytes() + blocks_.size() * kBlockBytes;
}

std::uint64_t StringSet::hash(std::string_view text) {
    return hashOf(text);
}

StringSet::Key StringSet::keyOf(std::string_view text) {
    Key key{hashOf(text), {}};
    if (text.size() <= kInPlace) {
        std::memcpy(key.held, text.data(), text.size());
        key.held[kInPlace] = static_cast<char>(text.size());
    }
    return key;
}

bool StringSet::holds(const Entry& e, const Key& key, std::string_view text) const {
    if (e.held[kInPlace] != kKept) // the string and its length, compared as two words
        return load(e.held, 8) == load(key.held, 8) && load(e.held + 8, 8) == load(key.held + 8, 8);
    Kept kept;
    std::memcpy(&kept, e.held, sizeof kept);
    return kept.length == text.size() &&
           std::memcmp(blocks_[kept.block].data() + kept.offset, text.data(), text.size()) == 0;
}

std::size_t StringSet::find(const Key& key, std::string_view wanted) const {
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t high = static_cast<std::uint32_t>(key.hash >> 32) & ~kIndexMask;
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
        if (slots_[i] == 0) return i;
        if ((slots_[i] & ~kIndexMask) != high) continue; // the slot's own bits of the hash differ
        const Entry& e = entries_[(slots_[i] & kIndexMask) - 1];
        if (e.hash == key.hash && holds(e, key, wanted)) return i;
    }
}

bool StringSet::grow() {
    const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
    if (bytes() + size * sizeof(std::uint32_t) > maxBytes_) return false;
    std::vector<std::uint32_t> slots(size, 0);
    for (std::uint32_t s : slots_) {
        if (s == 0) continue;
        std::size_t i = entries_[(s & kIndexMask) - 1].hash & (size - 1);
        while (slots[i] != 0)
            i = (i + 1) & (size - 1);
        slots[i] = s;
    }
    slots_.swap(slots);
    return true;
}

bool StringSet::contains(std::string_view wanted) const {
    return !slots_.empty() && slots_[find(keyOf(wanted), wanted)] != 0;
}

StringSet::Added StringSet::add(std::string_view wanted, std::uint64_t& value) {
    // The table grows before it is three quarters full; when it cannot, nothing more is added, so that
    // looks along it stay short.
    const bool room = (entries_.size() + 1) * 4 <= slots_.size() * 3 || grow();
    if (slots_.empty()) return Added::Full;
    const Key key = keyOf(wanted);
    const std::size_t slot = find(key, wanted);
    if (slots_[slot] != 0) {
        value = entries_[(slots_[slot] & kIndexMask) - 1].value;
        return Added::Present;
    }
    if (!room) return Added::Full;
    Entry entry{key.hash, value, {}};
    const bool kept = wanted.size() > kInPlace;
    const bool newBlock = kept && (blocks_.empty() || blocks_.back().size() + wanted.size() > kBlockBytes);
    const bool newEntries = entries_.bytes() == entries_.size() * entries_.entryBytes();
    if (wanted.size() > kBlockBytes || entries_.size() + 1 >= kIndexMask ||
        bytes() + (newBlock ? kBlockBytes : 0) + (newEntries ? entries_.blockBytes() : 0) > maxBytes_)
        return Added::Full;
    if (newBlock) {
        blocks_.emplace_back();
        blocks_.back().reserve(kBlockBytes);
    }
    if (kept) {
        std::string& block = blocks_.back();
        const Kept where{static_cast<std::uint32_t>(blocks_.size() - 1),
                         static_cast<std::uint32_t>(block.size()), static_cast<std::uint32_t>(wanted.size())};
        block.append(wanted);
        std::memcpy(entry.held, &where, sizeof where);
        entry.held[kInPlace] = kKept;
    } else {
        std::memcpy(entry.held, key.held, sizeof entry.held);
    }
    slots_[slot] = (static_cast<std::uint32_t>(key.hash >> 32) & ~kIndexMask) |
                   (static_cast<std::uint32_t>(entries_.push(entry)) + 1);
    return Added::New;
}

} // namespace specialty
