#include "spreadsheet/spreadsheet.h"

#include "catalogue_record.h"
#include "spreadsheet/csv_table.h"
#include "spreadsheet/spreadsheet_cell.h"
#include "text_encoding.h"
#include "vehicle_selection.h"

#include <vector>

namespace specialty {

namespace {

// How many "*" of a name the star rule turns into double quotes; 0 for fields without the rule.
int starsOf(int field) {
    return field == kModel ? kModelStars : field == kSubmodel ? kSubmodelStars : 0;
}

// The catalogue text of one field's value (code-page text), or why the viewer would not read it back.
Result<std::string> storedText(int field, const std::string& value) {
    const int stars = starsOf(field);
    if (stars == 0) {
        if (value.find('"') != std::string::npos)
            return Result<std::string>::failure("a double quote, which the catalogue cannot hold in " +
                                                fieldName(field));
        if ((field == kYearFrom || field == kYearTo) && !parseYear(value))
            return Result<std::string>::failure("a year that is not a whole number from -32768 to 32767");
        if (field == kVehicleId && value == "0")
            return Result<std::string>::failure("VehicleId 0, which would end the catalogue here");
        return value;
    }
    // The star rule turns the first `stars` "*" into double quotes: a quote is stored as "*", and what is
    // stored must read back as the value.
    std::string stored = value;
    for (char& c : stored)
        if (c == '"') c = '*';
    const std::string readBack = decodeStars(stored, stars);
    if (readBack == value) return stored;
    std::size_t at = 0;
    while (at < value.size() && value[at] == readBack[at])
        ++at;
    const std::string where = " (character " + std::to_string(at + 1) + " of " + fieldName(field) + ")";
    if (value[at] == '*')
        return Result<std::string>::failure("a literal * that the star rule would turn into a double quote" +
                                            where);
    return Result<std::string>::failure(
        "a double quote that the star rule will not restore: only the first " + std::to_string(stars) +
        " * of " + fieldName(field) + " become quotes" + where);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One field in the list syntax the sample catalogue uses: names in quotes, other fields bare unless a
// comma or blanks at their ends need the quotes.
std::string listField(int field, const std::string& stored) {
    const bool name = field == kMake || field == kModel || field == kSubmodel;
    const bool needsQuotes = stored.find(',') != std::string::npos ||
                             (!stored.empty() && (isBlank(stored.front()) || isBlank(stored.back())));
    return (name && !stored.empty()) || needsQuotes ? "\"" + stored + "\"" : stored;
}

Result<std::string> refused(std::uint64_t line, int column, const std::string& what) {
    return Result<std::string>::failure("line " + std::to_string(line) + ", column " +
                                        std::to_string(column) + ": " + what);
}

} // namespace

Result<std::string> catalogueFromCsv(std::string_view csv) {
    Result<std::vector<CsvRow>> rows = readCsv(csv);
    if (!rows) return Result<std::string>::failure(rows.reason());
    std::vector<std::string> header;
    for (int f = 1; f <= kRecordFields; ++f)
        header.push_back(fieldName(f));
    if (rows.value().empty() || rows.value().front().fields != header) {
        std::string names;
        for (const std::string& name : header)
            names += (names.empty() ? "" : ",") + name;
        return Result<std::string>::failure("line 1: the first row must name the 23 fields: " + names);
    }
    std::string catalogue;
    for (std::size_t r = 1; r < rows.value().size(); ++r) {
        const CsvRow& row = rows.value()[r];
        if (row.fields.size() == 1 && row.fields[0].empty()) continue; // an empty line
        if (row.fields.size() != static_cast<std::size_t>(kRecordFields))
            return Result<std::string>::failure("line " + std::to_string(row.line) + ": " +
                                                std::to_string(row.fields.size()) + " columns, not " +
                                                std::to_string(kRecordFields));
        for (int f = 1; f <= kRecordFields; ++f) {
            const std::string cell(unguardedCell(row.fields[static_cast<std::size_t>(f - 1)]));
            const std::uint64_t line = row.columnLines[static_cast<std::size_t>(f - 1)];
            if (cell.find_first_of("\r\n") != std::string::npos)
                return refused(line, f, "a line break inside " + fieldName(f));
            Result<std::string> value = utf8ToWindows1252Exactly(cell);
            if (!value) return refused(line, f, fieldName(f) + ": " + value.reason());
            Result<std::string> stored = storedText(f, value.value());
            if (!stored) return refused(line, f, stored.reason());
            catalogue += (f > 1 ? "," : "") + listField(f, stored.value());
        }
        catalogue += "\r\n";
    }
    catalogue += "0" + std::string(kRecordFields - 1, ',') + "\r\n"; // the end record
    return catalogue;
}

} // namespace specialty
