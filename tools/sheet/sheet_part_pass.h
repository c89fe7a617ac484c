// The part codes of a review sheet in one pass over their sorted uses, in bounded memory whatever their
// number: each distinct code numbered in byte order and its files read once (thumbnails written), its entry
// on the part pages kept in order, the state each vehicle's slot shows sorted into the vehicles' page
// order, and each finding about a part's files given the part's number.
#pragma once

#include "tools/pictures/picture_module.h"
#include "tools/sheet/sheet_folder.h"
#include "tools/sheet/sheet_model.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace specialty {

constexpr std::size_t kPartsPerPage = 200;
// How many of a part's vehicles its entry lists; `uses` lists them all.
constexpr std::size_t kUsersShown = 50;

// A part as its entry on the part pages shows it.
struct PartEntry {
    std::uint32_t index = 0; // its place in byte order of the codes
    SheetPart part;
    std::uint32_t userCount = 0;      // the records that use it, each once
    std::vector<std::uint32_t> users; // the first kUsersShown of them, in file order
};
std::string partEntryBytes(const PartEntry& entry);
PartEntry readPartEntry(std::string_view bytes);

// What a vehicle's slot shows of its part.
struct SlotEntry {
    std::uint32_t position = 0; // the vehicle's place in the pages' order
    std::uint8_t slot = 0;      // PartCodes index
    std::uint32_t part = 0;
    SheetPart::File picture = SheetPart::File::Missing;
    SheetPart::File description = SheetPart::File::Missing;
    std::uint16_t thumbWidth = 0;
    std::uint16_t thumbHeight = 0;
    std::string_view code;
};
SlotEntry readSlotEntry(std::string_view bytes);

struct PartPass {
    PartPass();
    std::size_t parts = 0;
    std::size_t pictures[5] = {}; // parts by the state of each file
    std::size_t descriptions[5] = {};
    std::vector<std::pair<std::string, std::string>> pageCodes; // first and last code of each part page
    std::unique_ptr<SpillSort> entries;                         // partEntryBytes(), by part
    std::unique_ptr<SpillSort> slots;                           // by (position, slot)
    std::unique_ptr<SpillSort> codes; // each part's (number, code) as partFindingEntry(), by code
    // Made by attachPartFindings(): SheetFindings::partEntry(), by finding.
    std::unique_ptr<SpillSort> findings;
    // Every finding about a part's files, and every finding about a record, as findingEntry() of the part's
    // number or of the record's place in the pages' order: by that number, then by finding.
    std::unique_ptr<SpillSort> partFindings;
    std::unique_ptr<SpillSort> recordFindings;
    // Check's judgement of each picture whose decoding told it, by its part's code: the picture's state
    // and where the model's texts keep why it is not whole. One entry a picture file read, so it grows with
    // the data folder's pictures, never with the catalogue's codes.
    std::unordered_map<std::string, DecodedJudgement> judgedPictures;
};

// Runs the pass over `model`'s uses, the thumbnails made by `pictures`; `position` gives each record's place
// in the pages' order. `progress` (may be empty) is called on this thread now and then with how many parts
// are done.
Status readParts(SheetModel& model, const std::function<std::uint32_t(std::uint32_t record)>& position,
                 const std::string& dataFolder, const SheetFolder& folder, const PictureModule& pictures,
                 PartPass& pass, const std::function<void(std::size_t done)>& progress);

// A finding as the part pages or the vehicles get it: `key`, the finding's number, then the finding.
std::string findingEntry(std::uint32_t key, std::uint32_t number, const SheetFinding& finding);
struct FindingEntry {
    std::uint32_t key = 0;
    std::uint32_t number = 0;
    SheetFinding finding;
};
FindingEntry readFindingEntry(std::string_view bytes);

// Gives each finding in `model`'s part findings (check has run) the number of the part it is about.
// Then sorts every finding for the pages that show them by part and by record (`position` as for
// readParts()).
Status attachPartFindings(SheetModel& model, PartPass& pass,
                          const std::function<std::uint32_t(std::uint32_t record)>& position);

} // namespace specialty
