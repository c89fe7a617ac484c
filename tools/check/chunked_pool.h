// A growing array kept in fixed blocks: growing it never copies what it holds, so it never needs twice its
// memory for a moment, as a vector that doubles does.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace specialty {

template <typename T, std::size_t kBlock = 16384>
class ChunkedPool {
  public:
    std::size_t size() const { return size_; }
    std::size_t bytes() const { return blocks_.size() * kBlock * sizeof(T); }
    static constexpr std::size_t entryBytes() { return sizeof(T); }
    static constexpr std::size_t blockBytes() { return kBlock * sizeof(T); }
    T& operator[](std::size_t i) { return blocks_[i / kBlock][i % kBlock]; }
    const T& operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
    // Appends `value`; returns its index.
    std::size_t push(const T& value) {
        if (size_ == blocks_.size() * kBlock) blocks_.push_back(std::make_unique<T[]>(kBlock));
        (*this)[size_] = value;
        return size_++;
    }

  private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    std::size_t size_ = 0;
};

} // namespace specialty
