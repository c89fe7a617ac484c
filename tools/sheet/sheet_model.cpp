#include "tools/sheet/sheet_model.h"
#include "tools/check/check_fault.h"
#include "tools/output_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/part_slots.h"
#include "catalogue/text_encoding.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace specialty {

namespace {

void putNumber(std::string& to, std::uint32_t number) {
    for (int shift = 24; shift >= 0; shift -= 8)
        to += static_cast<char>((number >> shift) & 0xff);
}

std::uint32_t numberAt(std::string_view entry) {
    std::uint32_t number = 0;
    for (std::size_t n = 0; n < 4; ++n)
        number = (number << 8) | static_cast<unsigned char>(entry[n]);
    return number;
}

// Code first, then the bytes before it: numbers most significant first compare as they count.
bool codeThenNumber(std::string_view a, std::string_view b, std::size_t codeAt) {
    const int code = a.substr(codeAt).compare(b.substr(codeAt));
    return code != 0 ? code < 0 : a.substr(0, codeAt) < b.substr(0, codeAt);
}

} // namespace

std::string usesEntry(std::string_view code, std::uint32_t record, std::uint8_t slot) {
    std::string entry;
    putNumber(entry, record);
    entry += static_cast<char>(slot);
    return entry.append(code);
}

std::string partFindingEntry(std::string_view code, std::uint32_t finding) {
    std::string entry;
    putNumber(entry, finding);
    return entry.append(code);
}

CodeEntry readUsesEntry(std::string_view entry) {
    return {numberAt(entry), static_cast<std::uint8_t>(entry[4]), entry.substr(5)};
}

CodeEntry readPartFindingEntry(std::string_view entry) {
    return {numberAt(entry), 0, entry.substr(4)};
}

SheetModel::SheetModel()
    : uses(std::make_unique<SpillSort>(
          [](std::string_view a, std::string_view b) { return codeThenNumber(a, b, 5); })),
      partFindings(std::make_unique<SpillSort>(
          [](std::string_view a, std::string_view b) { return codeThenNumber(a, b, 4); })) {}

Result<SheetModel> readSheetModel(const std::string& dataFolder) {
    SheetModel model;
    const Status walked = walkCatalogue(dataFolder + std::string(kCatalogueName), [&](const WalkedRecord& w) {
        const auto index = static_cast<std::uint32_t>(model.records.size());
        const CatalogueRecord& r = w.record;
        model.records.add({w.number, w.line, r.VehicleId, r.Make, r.Model, r.Submodel, r.YearFrom, r.YearTo});
        for (std::size_t slot = 0; slot < r.PartCodes.size(); ++slot)
            if (!r.PartCodes[slot].empty())
                model.uses->add(usesEntry(r.PartCodes[slot], index, static_cast<std::uint8_t>(slot)));
    });
    if (!walked) return Result<SheetModel>::failure(walked.error());
    model.uses->finish();
    model.makes = SheetMakes(model.records);
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

// The code whose file name is `name` (UTF-8): the code-page text that converts to it, or nothing.
std::optional<std::string> codeOfName(std::string_view name) {
    static const std::unordered_map<std::string, char> bytes = [] {
        std::unordered_map<std::string, char> table;
        for (int c = 0; c < 256; ++c) {
            const char byte = static_cast<char>(c);
            table.emplace(windows1252ToUtf8(std::string_view(&byte, 1)), byte);
        }
        return table;
    }();
    std::string code;
    for (std::size_t at = 0; at < name.size();) {
        std::size_t length = 1; // UTF-8 is prefix-free: the first sequence found is the one
        for (; length <= 4 && at + length <= name.size(); ++length)
            if (const auto byte = bytes.find(std::string(name.substr(at, length))); byte != bytes.end()) {
                code += byte->second;
                break;
            }
        if (length > 4 || at + length > name.size()) return std::nullopt;
        at += length;
    }
    return code;
}

// The code of the part one of whose files is at `path`, or nothing.
std::optional<std::string> partCodeOfPath(const std::string& path, const std::string& folder) {
    if (path.compare(0, folder.size(), folder) != 0) return std::nullopt;
    for (std::string_view suffix : {kPictureSuffix, kDescriptionSuffix}) {
        if (path.size() < folder.size() + suffix.size() ||
            path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::optional<std::string> code = codeOfName(
            std::string_view(path).substr(folder.size(), path.size() - folder.size() - suffix.size()));
        if (!code) continue;
        const Result<std::string> expected = partFilePath(folder, *code, suffix);
        if (expected && *expected == path) return code;
    }
    return std::nullopt;
}

} // namespace

void checkIntoModel(SheetModel& model, const std::string& dataFolder, const PictureCheck& showsWhole,
                    const std::unordered_map<std::string, DecodedJudgement>& judged) {
    const std::string catalogue = dataFolder + std::string(kCatalogueName);
    const PictureCheck judgedOrShowsWhole = [&](const std::string& path) -> Status {
        const std::optional<std::string> code = partCodeOfPath(path, dataFolder);
        const auto found = code ? judged.find(*code) : judged.end();
        if (found == judged.end()) return showsWhole(path);
        if (found->second.judged == SheetPart::Judged::Whole) return Done{};
        std::vector<std::string> texts = model.texts.at(found->second.texts);
        if (texts.size() < 3) return showsWhole(path); // the texts' file failed, which the sheet reports
        Failure notWhole(OutputFault::PictureJudgedByModule);
        notWhole.why = std::move(texts[2]);
        return Status::failure(std::move(notWhole));
    };
    model.check = checkCatalogue(dataFolder, judgedOrShowsWhole, [&](const Finding& f) {
        SheetFinding sheet{f.level, f.file, f.line, f.message(), -1, -1, {}};
        std::optional<std::string> code;
        if (f.file == catalogue && f.line > 0) {
            // The record that starts on the finding's line or the last one before it.
            std::size_t after = 0; // the first record that starts after the line
            for (std::size_t count = model.records.size(); count > 0;) {
                const std::size_t half = count / 2;
                if (model.records.line(after + half) <= f.line) {
                    after += half + 1;
                    count -= half + 1;
                } else {
                    count = half;
                }
            }
            if (after > 0) sheet.record = static_cast<std::int64_t>(after) - 1;
            if (aboutPartFiles(f.what.fault)) code = f.what.value;
        } else {
            code = partCodeOfPath(f.file, dataFolder);
        }
        const auto index = static_cast<std::uint32_t>(model.findings.size());
        if (code) {
            model.partFindings->add(partFindingEntry(*code, index));
            sheet.partCode = std::move(*code);
        }
        model.findings.add(sheet);
    });
    model.partFindings->finish();
}

} // namespace specialty
