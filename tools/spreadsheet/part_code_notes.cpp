#include "tools/spreadsheet/part_code_notes.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/data_folder.h"
#include "tools/spreadsheet/conversion_guard.h"

#include <sys/stat.h>

namespace specialty {

namespace {

bool hasFile(const std::string& dataFolder, std::string_view code, std::string_view suffix) {
    const Result<std::string> path = partFilePath(dataFolder, code, suffix);
    struct stat status {};
    return path && ::stat(path.value().c_str(), &status) == 0;
}

} // namespace

std::optional<Failure> partCodeNote(const std::string& dataFolder, std::string_view code, int field,
                                    std::int64_t position) {
    if (code.empty() || hasFile(dataFolder, code, kPictureSuffix) ||
        hasFile(dataFolder, code, kDescriptionSuffix))
        return std::nullopt;
    const std::optional<std::string> shape = convertedShape(code);
    Failure note(shape ? SpreadsheetFault::PartCodeLooksConverted : SpreadsheetFault::PartCodeUnknown);
    note.record = position;
    note.field = field;
    note.value = std::string(code);
    note.why = shape.value_or("");
    return note;
}

} // namespace specialty
