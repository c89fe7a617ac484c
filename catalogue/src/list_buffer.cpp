#include "list_buffer.h"

#include <algorithm>
#include <cstring>

namespace specialty {

ListBuffer::ListBuffer(std::size_t chunkBytes) : chunk_(std::max<std::size_t>(chunkBytes, 1)) {}

Status ListBuffer::open(const std::string& path) {
    close();
    if (Status opened = file_.open(path); !opened) return opened;
    endOfFile = false;
    return Done{};
}

void ListBuffer::open(RegularFile file) {
    close();
    file_ = std::move(file);
    endOfFile = false;
}

void ListBuffer::openMemory(std::string_view bytes) {
    close();
    memory_ = bytes;
    fromMemory_ = true;
    endOfFile = false;
}

void ListBuffer::close() {
    file_.close();
    memory_ = {};
    fromMemory_ = false;
    unit = pos = end = 0;
    base = 0;
    endOfFile = true;
    afterComma = false;
    failure.reset();
    holding_ = false;
    held_ = 0;
    const bool counting = lines.on;
    lines = LineTally{};
    lines.on = counting;
}

bool ListBuffer::refill() {
    if (endOfFile) return false;
    const std::size_t keep = holding_ ? std::min(unit, held_) : unit;
    if (keep > 0) {
        tallyTo(keep); // the bytes before it leave the buffer
        std::memmove(buffer_.data(), buffer_.data() + keep, end - keep);
        base += keep;
        pos -= keep;
        end -= keep;
        unit -= keep;
        held_ -= holding_ ? keep : 0;
        moved_ -= static_cast<std::ptrdiff_t>(keep);
    }
    if (buffer_.size() - end < chunk_) {
        const auto before = reinterpret_cast<std::uintptr_t>(buffer_.data());
        buffer_.resize(std::max(buffer_.size() * 2, end + chunk_));
        moved_ += static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(buffer_.data()) - before);
    }
    const std::size_t room = std::min(buffer_.size() - end, chunk_);
    std::size_t got = 0;
    if (fromMemory_) {
        got = std::min(room, memory_.size());
        std::memcpy(buffer_.data() + end, memory_.data(), got);
        memory_.remove_prefix(got);
    } else {
        Result<std::size_t> read = file_.read(buffer_.data() + end, room);
        if (!read) failure = read.error();
        got = read ? read.value() : 0;
    }
    if (got == 0) {
        endOfFile = true;
        return false;
    }
    end += got;
    return true;
}

} // namespace specialty
