// The texts of what list, find and uses add to the catalogue they show (listing_fault.h).
#include "tools/listing_fault.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/messages.h"

namespace specialty {

namespace {

std::string describeListingFault(const Failure& f) {
    const std::string line = std::to_string(f.line);
    switch (f.fault.as<ListingFault>()) {
    case ListingFault::SpareFieldNotKept:
        return "[longer than " + std::to_string(f.limit) + " bytes: not shown]";
    case ListingFault::DamageBegins:
        return causeOf(f) + " The damage begins at line " + line +
               (f.count >= 0 && f.count != kRecordFields ? ", which " + holdsFields(f.count)
                                                         : std::string()) +
               ".";
    case ListingFault::RecordOnLine: {
        std::string text = causeOf(f);
        if (f.line == 0) return text;
        if (!text.empty() && text.back() == '.') text.pop_back();
        return text + " (it starts on line " + line + ").";
    }
    default:
        return f.why;
    }
}

constexpr WordedFamily kFamily("listing", describeListingFault);

} // namespace

const FaultFamily& faultFamily(ListingFault) {
    return kFamily;
}

Failure damageBeginsAt(const Failure& failure, std::uint64_t line, std::int64_t fields) {
    Failure damage(ListingFault::DamageBegins);
    damage.line = line;
    damage.count = fields;
    return causedBy(std::move(damage), failure);
}

} // namespace specialty
