// What a review sheet shows, gathered before any page is written: the records grouped by make, every use
// of a part code sorted by code in bounded memory, and check's findings attached to their records and, by
// code, to the parts whose files they are about.
#pragma once

#include "tools/check/catalogue_check.h"
#include "tools/sheet/sheet_findings.h"
#include "tools/sheet/sheet_part_texts.h"
#include "tools/sheet/sheet_records.h"
#include "tools/sheet/spill_sort.h"
#include "tools/uses/catalogue_walk.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace specialty {

struct SheetPart {
    // Outside: a link that leads outside the data folder, never read, so that a sheet shows only the folder.
    enum class File : std::uint8_t { Shown, Missing, Broken, NotAName, Outside };
    // Check's judgement of the picture, when the decoding that made its thumbnail told it; NotWhole keeps
    // why as the third of its texts.
    enum class Judged : std::uint8_t { No, Whole, NotWhole };
    std::string code; // code-page text, as stored
    // Where SheetModel::texts keeps, when any is not empty, why the picture does not decode (UTF-8), the
    // description's beginning (code-page text) or why it cannot be read (UTF-8), and why check finds the
    // picture not whole (UTF-8, see pictureJudged).
    std::uint64_t texts = PartTextStore::kNone;
    std::uint16_t thumbWidth = 0; // of the thumbnail, when the picture is Shown
    std::uint16_t thumbHeight = 0;
    File picture = File::Missing;     // Broken: the file exists but does not decode
    File description = File::Missing; // Broken: the file exists but cannot be read
    Judged pictureJudged = Judged::No;
};

// Check's judgement of a picture, taken from the decoding that made its thumbnail.
struct DecodedJudgement {
    SheetPart::Judged judged = SheetPart::Judged::No;
    std::uint64_t texts = PartTextStore::kNone; // NotWhole: where SheetModel::texts keeps why, as its third
};

struct SheetModel {
    SheetModel();

    SheetRecords records; // in file order
    SheetMakes makes;     // the records by make, makes in byte order
    // Every part code of every record, (code, record, slot) in that order: usesEntry().
    std::unique_ptr<SpillSort> uses;
    // The findings about a part's files by the part's code, (code, finding) in that order:
    // partFindingEntry().
    std::unique_ptr<SpillSort> partFindings;
    PartTextStore texts;    // the parts' texts
    SheetFindings findings; // in check's order
    CheckReport check;      // check's counts (findings kept above)
};

// The entries of SheetModel::uses and SheetModel::partFindings: a number of 4 bytes, most significant
// first, and for a use its slot (PartCodes index), then the code.
struct CodeEntry {
    std::uint32_t number = 0; // a record's or a finding's index
    std::uint8_t slot = 0;
    std::string_view code;
};
std::string usesEntry(std::string_view code, std::uint32_t record, std::uint8_t slot);
std::string partFindingEntry(std::string_view code, std::uint32_t finding);
CodeEntry readUsesEntry(std::string_view entry);
CodeEntry readPartFindingEntry(std::string_view entry);

// Reads the catalogue of `dataFolder` into a model; the part files are not looked at yet.
Result<SheetModel> readSheetModel(const std::string& dataFolder);

// Runs check on the catalogue of `dataFolder` and keeps its findings in `model`, each attached to the
// record whose line it names; those about a part's files go to SheetModel::partFindings by its code. A
// picture the sheet's own decoding judged (`judged`, by its part's code) keeps that judgement; `showsWhole`
// judges the others.
void checkIntoModel(SheetModel& model, const std::string& dataFolder, const PictureCheck& showsWhole,
                    const std::unordered_map<std::string, DecodedJudgement>& judged);

} // namespace specialty
