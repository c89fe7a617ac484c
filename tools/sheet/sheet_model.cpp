#include "tools/sheet/sheet_model.h"
#include "tools/check/check_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/part_slots.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

namespace specialty {

std::int64_t SheetModel::partOf(const std::string& code) const {
    const auto at = std::lower_bound(parts.begin(), parts.end(), code,
                                     [](const SheetPart& p, const std::string& c) { return p.code < c; });
    return at != parts.end() && at->code == code ? at - parts.begin() : -1;
}

Result<SheetModel> readSheetModel(const std::string& dataFolder) {
    SheetModel model;
    std::unordered_map<std::string, std::vector<std::uint32_t>> users;
    std::map<std::string, std::vector<std::uint32_t>> makes;
    const Status walked = walkCatalogue(dataFolder + std::string(kCatalogueName), [&](const WalkedRecord& w) {
        const auto index = static_cast<std::uint32_t>(model.records.size());
        model.records.push_back(w);
        makes[w.record.Make].push_back(index);
        for (const std::string& code : w.record.PartCodes) {
            if (code.empty()) continue;
            std::vector<std::uint32_t>& list = users[code];
            if (list.empty() || list.back() != index) list.push_back(index); // each record once
        }
    });
    if (!walked) return Result<SheetModel>::failure(walked.error());
    model.parts.reserve(users.size());
    for (auto& [code, list] : users) {
        SheetPart part;
        part.code = code;
        part.users = std::move(list);
        model.parts.push_back(std::move(part));
    }
    std::sort(model.parts.begin(), model.parts.end(),
              [](const SheetPart& a, const SheetPart& b) { return a.code < b.code; });
    // Within a make, vehicles by model, submodel and years, as a reader looks for them; file order breaks
    // ties.
    auto before = [&](std::uint32_t a, std::uint32_t b) {
        const CatalogueRecord& x = model.records[a].record;
        const CatalogueRecord& y = model.records[b].record;
        return std::tie(x.Model, x.Submodel, x.YearFrom, x.YearTo, a) <
               std::tie(y.Model, y.Submodel, y.YearFrom, y.YearTo, b);
    };
    for (auto& [make, list] : makes) {
        std::sort(list.begin(), list.end(), before);
        model.makes.push_back(std::move(list));
    }
    model.recordFindings.resize(model.records.size());
    model.partFindings.resize(model.parts.size());
    return model;
}

namespace {

// Whether a finding on a catalogue line is about the files of the part code it names.
bool aboutPartFiles(FaultCode fault) {
    if (!fault.of<CheckFault>()) return false;
    switch (fault.as<CheckFault>()) {
    case CheckFault::NoPicture:
    case CheckFault::PictureNotWhole:
    case CheckFault::NoDescription:
    case CheckFault::DescriptionUnreadable:
    case CheckFault::PartFileLeadsOutside:
        return true;
    default:
        return false;
    }
}

} // namespace

void attachFindings(SheetModel& model, const std::string& dataFolder, std::vector<Finding> findings) {
    const std::string catalogue = dataFolder + std::string(kCatalogueName);
    std::unordered_map<std::string, std::int64_t> partFiles; // a part's picture and description paths
    for (std::size_t p = 0; p < model.parts.size(); ++p)
        for (std::string_view suffix : {kPictureSuffix, kDescriptionSuffix})
            if (const Result<std::string> path = partFilePath(dataFolder, model.parts[p].code, suffix))
                partFiles.emplace(*path, static_cast<std::int64_t>(p));
    for (Finding& f : findings) {
        SheetFinding sheet{std::move(f), -1, -1};
        if (sheet.finding.file == catalogue && sheet.finding.line > 0) {
            // The record that starts on the finding's line or the last one before it.
            const auto after =
                std::upper_bound(model.records.begin(), model.records.end(), sheet.finding.line,
                                 [](std::uint64_t line, const WalkedRecord& r) { return line < r.line; });
            if (after != model.records.begin()) sheet.record = (after - model.records.begin()) - 1;
            if (aboutPartFiles(sheet.finding.what.fault)) sheet.part = model.partOf(sheet.finding.what.value);
        } else if (const auto part = partFiles.find(sheet.finding.file); part != partFiles.end()) {
            sheet.part = part->second;
        }
        if (sheet.record >= 0)
            model.recordFindings[static_cast<std::size_t>(sheet.record)].push_back(
                static_cast<std::uint32_t>(model.findings.size()));
        if (sheet.part >= 0)
            model.partFindings[static_cast<std::size_t>(sheet.part)].push_back(
                static_cast<std::uint32_t>(model.findings.size()));
        model.findings.push_back(std::move(sheet));
    }
}

} // namespace specialty
