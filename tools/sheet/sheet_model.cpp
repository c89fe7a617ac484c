#include "tools/sheet/sheet_model.h"
#include "tools/check/check_fault.h"
#include "tools/output_fault.h"

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
    struct Use {
        std::string code;
        std::uint32_t record;
        std::uint8_t slot; // PartCodes index
        bool operator<(const Use& o) const {
            return std::tie(code, record, slot) < std::tie(o.code, o.record, o.slot);
        }
    };
    std::vector<Use> uses; // every part code of every record
    std::map<std::string, std::vector<std::uint32_t>> makes;
    const Status walked = walkCatalogue(dataFolder + std::string(kCatalogueName), [&](const WalkedRecord& w) {
        const auto index = static_cast<std::uint32_t>(model.records.size());
        const CatalogueRecord& r = w.record;
        model.records.push_back(
            {w.number, w.line, r.VehicleId, r.Make, r.Model, r.Submodel, r.YearFrom, r.YearTo, {}});
        model.records.back().parts.fill(SheetRecord::kNoPart);
        makes[r.Make].push_back(index);
        for (std::size_t slot = 0; slot < r.PartCodes.size(); ++slot)
            if (!r.PartCodes[slot].empty())
                uses.push_back({r.PartCodes[slot], index, static_cast<std::uint8_t>(slot)});
    });
    if (!walked) return Result<SheetModel>::failure(walked.error());
    std::sort(uses.begin(), uses.end());
    for (std::size_t u = 0; u < uses.size(); ++u) {
        const bool newCode = model.parts.empty() || uses[u].code != model.parts.back().code;
        if (newCode) {
            model.parts.emplace_back();
            model.parts.back().code = std::move(uses[u].code);
            model.parts.back().firstUser = model.users.size();
        }
        model.records[uses[u].record].parts[uses[u].slot] =
            static_cast<std::uint32_t>(model.parts.size() - 1);
        if (!newCode && uses[u].record == uses[u - 1].record) continue; // each record once
        model.users.push_back(uses[u].record);
        model.parts.back().userCount += 1;
    }
    std::vector<Use>().swap(uses);
    model.parts.shrink_to_fit();
    model.users.shrink_to_fit();
    // Within a make, vehicles by model, submodel and years, as a reader looks for them; file order breaks
    // ties.
    auto before = [&](std::uint32_t a, std::uint32_t b) {
        const SheetRecord& x = model.records[a];
        const SheetRecord& y = model.records[b];
        return std::tie(x.Model, x.Submodel, x.YearFrom, x.YearTo, a) <
               std::tie(y.Model, y.Submodel, y.YearFrom, y.YearTo, b);
    };
    for (auto& [make, list] : makes) {
        std::sort(list.begin(), list.end(), before);
        model.makes.push_back(std::move(list));
    }
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

namespace {

// Finds the part whose picture or description file is at a path.
class PartFiles {
  public:
    PartFiles(const SheetModel& model, const std::string& dataFolder) : model_(model), folder_(dataFolder) {
        // A code of plain ASCII is its own file name; the others are found by their names.
        for (std::size_t p = 0; p < model.parts.size(); ++p)
            if (!isAscii(model.parts[p].code))
                if (const Result<std::string> path = partFilePath(dataFolder, model.parts[p].code, ""))
                    named_.emplace(path->substr(dataFolder.size()), static_cast<std::int64_t>(p));
    }

    // The part one of whose files is at `path`, or -1.
    std::int64_t partOf(const std::string& path) const {
        if (path.compare(0, folder_.size(), folder_) != 0) return -1;
        for (std::string_view suffix : {kPictureSuffix, kDescriptionSuffix}) {
            if (path.size() < folder_.size() + suffix.size() ||
                path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string name =
                path.substr(folder_.size(), path.size() - folder_.size() - suffix.size());
            std::int64_t part = -1;
            if (isAscii(name)) {
                part = model_.partOf(name);
            } else if (const auto at = named_.find(name); at != named_.end()) {
                part = at->second;
            }
            if (part < 0) continue;
            const Result<std::string> expected =
                partFilePath(folder_, model_.parts[static_cast<std::size_t>(part)].code, suffix);
            if (expected && *expected == path) return part;
        }
        return -1;
    }

  private:
    static bool isAscii(const std::string& text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }

    const SheetModel& model_;
    const std::string& folder_;
    std::unordered_map<std::string, std::int64_t> named_; // file names of the codes not in ASCII
};

std::vector<std::uint32_t> findingsOf(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& list,
                                      std::size_t key) {
    std::vector<std::uint32_t> found;
    auto at = std::lower_bound(list.begin(), list.end(), std::make_pair(static_cast<std::uint32_t>(key), 0u));
    for (; at != list.end() && at->first == key; ++at)
        found.push_back(at->second);
    return found;
}

} // namespace

std::vector<std::uint32_t> SheetModel::findingsOfRecord(std::size_t record) const {
    return findingsOf(recordFindings, record);
}

std::vector<std::uint32_t> SheetModel::findingsOfPart(std::size_t part) const {
    return findingsOf(partFindings, part);
}

void checkIntoModel(SheetModel& model, const std::string& dataFolder, const PictureCheck& showsWhole) {
    const std::string catalogue = dataFolder + std::string(kCatalogueName);
    const PartFiles partFiles(model, dataFolder);
    const PictureCheck judged = [&](const std::string& path) -> Status {
        const std::int64_t part = partFiles.partOf(path);
        const SheetPart* judgedPart = part >= 0 ? &model.parts[static_cast<std::size_t>(part)] : nullptr;
        if (!judgedPart || judgedPart->pictureJudged == SheetPart::Judged::No) return showsWhole(path);
        if (judgedPart->pictureJudged == SheetPart::Judged::Whole) return Done{};
        std::vector<std::string> texts = model.texts.at(judgedPart->texts);
        if (texts.size() < 3) return showsWhole(path); // the texts' file failed, which the sheet reports
        Failure notWhole(OutputFault::PictureJudgedByModule);
        notWhole.why = std::move(texts[2]);
        return Status::failure(std::move(notWhole));
    };
    model.check = checkCatalogue(dataFolder, judged, [&](const Finding& f) {
        SheetFinding sheet{f.level, f.file, f.line, f.message(), -1, -1};
        if (f.file == catalogue && f.line > 0) {
            // The record that starts on the finding's line or the last one before it.
            const auto after =
                std::upper_bound(model.records.begin(), model.records.end(), f.line,
                                 [](std::uint64_t line, const SheetRecord& r) { return line < r.line; });
            if (after != model.records.begin()) sheet.record = (after - model.records.begin()) - 1;
            if (aboutPartFiles(f.what.fault)) sheet.part = model.partOf(f.what.value);
        } else {
            sheet.part = partFiles.partOf(f.file);
        }
        const auto index = static_cast<std::uint32_t>(model.findings.size());
        if (sheet.record >= 0)
            model.recordFindings.emplace_back(static_cast<std::uint32_t>(sheet.record), index);
        if (sheet.part >= 0) model.partFindings.emplace_back(static_cast<std::uint32_t>(sheet.part), index);
        model.findings.add(sheet);
    });
    std::sort(model.recordFindings.begin(), model.recordFindings.end());
    std::sort(model.partFindings.begin(), model.partFindings.end());
}

} // namespace specialty
