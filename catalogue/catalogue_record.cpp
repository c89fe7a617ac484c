#include "catalogue_record.h"

namespace specialty {

std::string fieldName(int field) {
    static const char* const kNames[] = {"VehicleId", "SpareField", "Make",  "Model",
                                         "Submodel",  "YearFrom",   "YearTo"};
    if (field >= kVehicleId && field < kPartCode1) return kNames[field - 1];
    return "PartCode" + std::to_string(field - kPartCode1 + 1);
}

const std::string& CatalogueRecord::field(int number) const {
    const std::string* named[] = {&VehicleId, &SpareField, &Make, &Model, &Submodel, &YearFrom, &YearTo};
    return number < kPartCode1 ? *named[number - 1] : partCode(number - kPartCode1 + 1);
}

bool CatalogueRecord::hasNoParts() const {
    for (const std::string& code : PartCodes)
        if (!code.empty()) return false;
    return true;
}

std::string decodeStars(std::string_view text, int count) {
    std::string out(text);
    for (char& c : out)
        c = withStarRule(c, count);
    return out;
}

CatalogueRecord decodeRecord(const RawRecord& raw) {
    CatalogueRecord record;
    record.VehicleId = raw[kVehicleId];
    record.SpareField = raw[kSpareField];
    record.Make = raw[kMake];
    record.Model = decodeStars(raw[kModel], kModelStars);
    record.Submodel = decodeStars(raw[kSubmodel], kSubmodelStars);
    record.YearFrom = raw[kYearFrom];
    record.YearTo = raw[kYearTo];
    for (int n = 1; n <= kPartCodes; ++n)
        record.PartCodes[static_cast<std::size_t>(n - 1)] = raw[kPartCode1 + n - 1];
    return record;
}

} // namespace specialty
