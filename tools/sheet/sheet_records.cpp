#include "tools/sheet/sheet_records.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>

namespace specialty {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::size_t kHead = sizeof(std::int64_t) + sizeof(std::uint64_t);

template <typename T>
T readAt(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

void SheetRecords::add(const SheetRecord& r) {
    const std::string* fields[kFields] = {&r.VehicleId, &r.Make,     &r.Model,
                                          &r.Submodel,  &r.YearFrom, &r.YearTo};
    std::size_t size = kHead;
    for (const std::string* field : fields)
        size += sizeof(std::uint32_t) + field->size();
    if (blocks_.empty() || blocks_.back().size() + size > blocks_.back().capacity()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(size, kBlockBytes));
    }
    std::string& block = blocks_.back();
    starts_.push_back(static_cast<std::uint64_t>(blocks_.size() - 1) << 32 | block.size());
    block.append(reinterpret_cast<const char*>(&r.number), sizeof r.number);
    block.append(reinterpret_cast<const char*>(&r.line), sizeof r.line);
    for (const std::string* field : fields) {
        const auto length = static_cast<std::uint32_t>(field->size());
        block.append(reinterpret_cast<const char*>(&length), sizeof length).append(*field);
    }
}

const char* SheetRecords::at(std::size_t n) const {
    return blocks_[starts_[n] >> 32].data() + (starts_[n] & 0xffffffffu);
}

std::string_view SheetRecords::field(std::size_t n, Field field) const {
    const char* at = this->at(n) + kHead;
    for (int f = 0; f < field; ++f)
        at += sizeof(std::uint32_t) + readAt<std::uint32_t>(at);
    return std::string_view(at + sizeof(std::uint32_t), readAt<std::uint32_t>(at));
}

std::uint64_t SheetRecords::line(std::size_t n) const {
    return readAt<std::uint64_t>(at(n) + sizeof(std::int64_t));
}

std::int64_t SheetRecords::number(std::size_t n) const {
    return readAt<std::int64_t>(at(n));
}

SheetRecord SheetRecords::operator[](std::size_t n) const {
    SheetRecord r;
    r.number = number(n);
    r.line = line(n);
    std::string* fields[kFields] = {&r.VehicleId, &r.Make, &r.Model, &r.Submodel, &r.YearFrom, &r.YearTo};
    for (int f = 0; f < kFields; ++f)
        *fields[f] = std::string(field(n, static_cast<Field>(f)));
    return r;
}

SheetMakes::SheetMakes(const SheetRecords& records) : order_(records.size()) {
    std::iota(order_.begin(), order_.end(), 0u);
    auto key = [&](std::uint32_t n) {
        using F = SheetRecords;
        return std::make_tuple(records.field(n, F::Make), records.field(n, F::Model),
                               records.field(n, F::Submodel), records.field(n, F::YearFrom),
                               records.field(n, F::YearTo), n);
    };
    std::sort(order_.begin(), order_.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    for (std::size_t n = 0; n < order_.size(); ++n)
        if (n == 0 ||
            records.field(order_[n], SheetRecords::Make) != records.field(order_[n - 1], SheetRecords::Make))
            starts_.push_back(static_cast<std::uint32_t>(n));
}

MakeRecords SheetMakes::operator[](std::size_t make) const {
    const std::size_t end = make + 1 < starts_.size() ? starts_[make + 1] : order_.size();
    return {order_.data() + starts_[make], order_.data() + end};
}

} // namespace specialty
