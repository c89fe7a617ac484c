// What a review sheet shows, gathered before any page is written: the records grouped by make, every part
// code with the state of its picture and description, and check's findings attached to their records.
#pragma once

#include "tools/check/catalogue_check.h"
#include "tools/sheet/sheet_findings.h"
#include "tools/sheet/sheet_part_texts.h"
#include "tools/uses/catalogue_walk.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace specialty {

struct SheetPart {
    // Outside: a link that leads outside the data folder, never read, so that a sheet shows only the folder.
    enum class File : std::uint8_t { Shown, Missing, Broken, NotAName, Outside };
    // Check's judgement of the picture, when the decoding that made its thumbnail told it; NotWhole keeps
    // why as the third of its texts.
    enum class Judged : std::uint8_t { No, Whole, NotWhole };
    std::string code;          // code-page text, as stored
    std::size_t firstUser = 0; // its users are SheetModel::users[firstUser, firstUser + userCount)
    // Where SheetModel::texts keeps, when any is not empty, why the picture does not decode (UTF-8), the
    // description's beginning (code-page text) or why it cannot be read (UTF-8), and why check finds the
    // picture not whole (UTF-8, see pictureJudged).
    std::uint64_t texts = PartTextStore::kNone;
    std::uint32_t userCount = 0;
    std::uint16_t thumbWidth = 0; // of the thumbnail, when the picture is Shown
    std::uint16_t thumbHeight = 0;
    File picture = File::Missing;     // Broken: the file exists but does not decode
    File description = File::Missing; // Broken: the file exists but cannot be read
    Judged pictureJudged = Judged::No;
};

// A record as a sheet shows it: its part codes replaced by the parts they name.
struct SheetRecord {
    static constexpr std::uint32_t kNoPart = UINT32_MAX;
    std::int64_t number = 0; // from 1, as list and check count records
    std::uint64_t line = 0;  // the line its first field stands on, from 1
    std::string VehicleId;
    std::string Make;
    std::string Model; // decoded, as the viewer shows it
    std::string Submodel;
    std::string YearFrom;
    std::string YearTo;
    std::array<std::uint32_t, kPartCodes>
        parts{}; // index into SheetModel::parts of each PartCode, or kNoPart

    bool hasNoParts() const {
        return std::all_of(parts.begin(), parts.end(), [](std::uint32_t p) { return p == kNoPart; });
    }
};

struct SheetModel {
    std::vector<SheetRecord> records; // in file order
    std::vector<SheetPart> parts;     // by code, byte order
    std::vector<std::uint32_t> users; // record indexes, each part's records in file order, each once
    PartTextStore texts;              // the parts' texts
    std::vector<std::vector<std::uint32_t>> makes; // record indexes per make, makes in byte order
    SheetFindings findings;                        // in check's order
    CheckReport check;                             // check's counts (findings kept above)

    // The part index of `code`, or -1.
    std::int64_t partOf(const std::string& code) const;
    // The indexes of the findings about record `record`, or about the files of part `part`, in check's
    // order.
    std::vector<std::uint32_t> findingsOfRecord(std::size_t record) const;
    std::vector<std::uint32_t> findingsOfPart(std::size_t part) const;

    // (record or part index, finding index) of every finding attached, sorted once all are.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> recordFindings;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> partFindings;
};

// Reads the catalogue of `dataFolder` into a model; the part files are not looked at yet.
Result<SheetModel> readSheetModel(const std::string& dataFolder);

// Runs check on the catalogue of `dataFolder` and keeps its findings in `model`, each attached to the
// record whose line it names and to the part whose file it names. A picture the sheet's own decoding judged
// keeps that judgement; `showsWhole` judges the others.
void checkIntoModel(SheetModel& model, const std::string& dataFolder, const PictureCheck& showsWhole);

} // namespace specialty
