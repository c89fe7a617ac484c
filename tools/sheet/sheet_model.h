// What a review sheet shows, gathered before any page is written: the records grouped by make, every part
// code with the state of its picture and description, and check's findings attached to their records.
#pragma once

#include "tools/check/catalogue_check.h"
#include "tools/uses/catalogue_walk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace specialty {

struct SheetPart {
    // Outside: a link that leads outside the data folder, never read, so that a sheet shows only the folder.
    enum class File { Shown, Missing, Broken, NotAName, Outside };
    std::string code;                 // code-page text, as stored
    std::vector<std::uint32_t> users; // indexes into SheetModel::records, each record once
    File picture = File::Missing;     // Broken: the file exists but does not decode
    std::string pictureProblem;       // why it does not decode (UTF-8)
    int thumbWidth = 0;               // of the thumbnail, when the picture is Shown
    int thumbHeight = 0;
    File description = File::Missing; // Broken: the file exists but cannot be read
    std::string descriptionText;      // code-page text, its beginning; or why it cannot be read (UTF-8)
};

struct SheetFinding {
    Finding finding;
    std::int64_t record = -1; // index into SheetModel::records of the record it is about, or -1
    std::int64_t part = -1;   // index into SheetModel::parts of the part whose file it is about, or -1
};

struct SheetModel {
    std::vector<WalkedRecord> records;                      // in file order
    std::vector<SheetPart> parts;                           // by code, byte order
    std::vector<std::vector<std::uint32_t>> makes;          // record indexes per make, makes in byte order
    std::vector<SheetFinding> findings;                     // in check's order
    std::vector<std::vector<std::uint32_t>> recordFindings; // finding indexes per record
    std::vector<std::vector<std::uint32_t>> partFindings;   // finding indexes per part
    CheckReport check;                                      // check's counts (findings kept above)

    // The part index of `code`, or -1.
    std::int64_t partOf(const std::string& code) const;
};

// Reads the catalogue of `dataFolder` into a model; the part files are not looked at yet.
Result<SheetModel> readSheetModel(const std::string& dataFolder);

// Attaches check's findings to the records whose lines they name and to the parts whose files they name.
void attachFindings(SheetModel& model, const std::string& dataFolder, std::vector<Finding> findings);

} // namespace specialty
