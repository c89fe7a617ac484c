// A table of fixed-size places found by a 64-bit hash (open addressing, linear probing), for state check
// keeps for every vehicle or part code: a place costs its own bytes and nothing more. The hash 0 marks a
// free place, so hashes are made non-zero (Fnv1a does that). The table grows by doubling while it stays
// within `maxBytes`; after that insert() refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace specialty {

// FNV-1a over bytes, never 0.
class Fnv1a {
  public:
    void add(unsigned char byte) { hash_ = (hash_ ^ byte) * 1099511628211ULL; }
    std::uint64_t value() const { return hash_ == 0 ? 1 : hash_; }

  private:
    std::uint64_t hash_ = 1469598103934665603ULL;
};

// `Slot` has a member `std::uint64_t hash`.
template <typename Slot>
class FlatHashTable {
  public:
    FlatHashTable(std::size_t maxBytes, int fullPercent) : maxBytes_(maxBytes), fullPercent_(fullPercent) {}

    Slot* find(std::uint64_t hash) {
        if (places_.empty()) return nullptr;
        const std::size_t mask = places_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            if (places_[i].hash == hash) return &places_[i];
            if (places_[i].hash == 0) return nullptr;
        }
    }

    // The place of `slot.hash` when there is one; otherwise `slot` in a new place (`added` set), found by
    // the same look. Null when it is not there and the table would outgrow its bytes.
    Slot* findOrAdd(const Slot& slot, bool& added) {
        added = false;
        if (!places_.empty()) {
            const std::size_t mask = places_.size() - 1;
            std::size_t i = slot.hash & mask;
            for (; places_[i].hash != 0; i = (i + 1) & mask)
                if (places_[i].hash == slot.hash) return &places_[i];
            if ((used_ + 1) * 100 <= places_.size() * static_cast<std::size_t>(fullPercent_)) {
                places_[i] = slot;
                ++used_;
                added = true;
                return &places_[i];
            }
        }
        if (!insert(slot)) return nullptr;
        added = true;
        return find(slot.hash);
    }

    // False when the table would outgrow its bytes.
    bool insert(const Slot& slot) {
        if ((used_ + 1) * 100 > places_.size() * static_cast<std::size_t>(fullPercent_)) {
            if (places_.size() * sizeof(Slot) * 2 > maxBytes_) return false;
            std::vector<Slot> old(places_.empty() ? 1024 : places_.size() * 2);
            old.swap(places_);
            used_ = 0;
            for (const Slot& s : old)
                if (s.hash != 0) place(s);
        }
        place(slot);
        return true;
    }

  private:
    void place(const Slot& slot) {
        const std::size_t mask = places_.size() - 1;
        std::size_t i = slot.hash & mask;
        while (places_[i].hash != 0)
            i = (i + 1) & mask;
        places_[i] = slot;
        ++used_;
    }

    std::vector<Slot> places_; // a power of two long
    std::size_t used_ = 0;
    std::size_t maxBytes_;
    int fullPercent_;
};

} // namespace specialty
