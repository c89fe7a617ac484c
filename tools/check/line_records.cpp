#include "tools/check/line_records.h"

namespace specialty {

void LineRecords::field(std::uint64_t line, std::string_view bytes, int number, std::int64_t position,
                        std::uint64_t offset, bool known) {
    if (line != line_) {
        endLine();
        line_ = line;
        count_ = 0;
        bytes_.clear();
        collecting_ = number != 1;
        if (collecting_) {
            ++linesSince_;
        } else {
            base_ = position;
            linesSince_ = 0;
        }
    }
    if (!known) count_ = kRecordFields + 1;
    if (!collecting_ || count_ > kRecordFields) return;
    if (count_ < kRecordFields) {
        bytes_.append(bytes);
        ends_[count_] = bytes_.size();
        offsets_[count_] = offset;
    }
    ++count_;
}

void LineRecords::endLine() {
    if (!collecting_ || count_ != kRecordFields || stopped_ || base_ < 0) return;
    LineRecord record;
    record.line = line_;
    record.position = base_ + linesSince_;
    std::size_t start = 0;
    for (int f = 0; f < kRecordFields; ++f) {
        record.raw.field[static_cast<std::size_t>(f)] =
            std::string_view(bytes_).substr(start, ends_[f] - start);
        start = ends_[f];
        record.offset[f] = offsets_[f];
    }
    if (record.raw[kVehicleId] == "0") {
        stopped_ = true;
        return;
    }
    sink_(record);
}

void LineRecords::finish() {
    endLine();
    collecting_ = false;
}

} // namespace specialty
