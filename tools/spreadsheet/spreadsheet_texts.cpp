// The texts of the faults of import, export and diff (spreadsheet_fault.h), and the form import gives
// them: where each lies in the file, and the refusal that names them all.
#include "tools/spreadsheet/spreadsheet_texts.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/messages.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include <cstdio>
#include <utility>

namespace specialty {

namespace {

// A cell's value for a message: in double quotes, control characters as \xNN, cut after 60 characters.
std::string shown(std::string_view value) {
    constexpr std::size_t kMostCharacters = 60;
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < value.size(); ++end) {
        if ((static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) continue; // inside a character
        if (++characters > kMostCharacters) break;
    }
    const std::string cut = quotedUtf8(value.substr(0, end));
    return end < value.size() ? cut.substr(0, cut.size() - 1) + "...\"" : cut;
}

const char* const kSaveAsUtf8 =
    "save it from the spreadsheet as \"Text CSV\" with the character set \"Unicode (UTF-8)\" and commas "
    "between cells, or edit the workbook that export -o FILE.xlsx writes, which keeps every cell as text";

std::string number(std::int64_t n) {
    return std::to_string(n);
}

// A part of the workbook that cannot be read, and why.
std::string partDamaged(const Failure& f, const std::string& why) {
    return "the workbook's " + f.value + " cannot be read: " + why;
}

std::string partTooLarge(const Failure& f, const std::string& what) {
    return "the workbook's " + f.value + " holds more than " + number(f.limit) + " " + what +
           ", far beyond any catalogue";
}

// "Make \"Ford\"": the cell's field and its value.
std::string cell(const Failure& f) {
    return fieldName(f.field) + " " + shown(f.value);
}

std::string cellKind(const std::string& kind, const Failure& f) {
    const bool vowel = std::string_view("aeiou").find(kind.front()) != std::string_view::npos;
    return (vowel ? "an " : "a ") + kind + " cell " + shown(f.value) + ": type the value as text";
}

std::string workbookCell(const Failure& f) {
    return recordNumbered(f.record) + ", " + fieldName(f.field) + ": ";
}

// The workbook's parts that cannot be read, and why.
constexpr std::pair<SpreadsheetFault, const char*> kPartDamage[] = {
    {SpreadsheetFault::WorkbookPartMissing, "the part is missing"},
    {SpreadsheetFault::WorkbookEntryUnreadable, "its entry cannot be read"},
    {SpreadsheetFault::WorkbookDeclaresEntities, "it declares a document type or entities"},
    {SpreadsheetFault::WorkbookXmlEndsEarly, "the XML ends early"},
    {SpreadsheetFault::WorkbookHoldsComment,
     "it holds a comment, a CDATA section, a document type or an instruction"},
    {SpreadsheetFault::WorkbookNamesNoSheet, "it names no sheet"},
    {SpreadsheetFault::WorkbookSheetWithoutPart, "the first sheet has no part"},
    {SpreadsheetFault::WorkbookRowOutOfOrder, "a row is out of order"},
    {SpreadsheetFault::WorkbookRowNeverEnds, "a row never ends"},
    {SpreadsheetFault::WorkbookCellOutOfOrder, "a cell is out of order"},
    {SpreadsheetFault::WorkbookStringMissing, "a cell names a string that is not there"},
    {SpreadsheetFault::WorkbookEntryDamaged, "its bytes do not match their checksum"},
    {SpreadsheetFault::WorkbookNotUtf8, "it is not written in UTF-8"},
};

// The workbook's parts that hold more than import reads, and of what.
constexpr std::pair<SpreadsheetFault, const char*> kPartTooLarge[] = {
    {SpreadsheetFault::WorkbookPartTooLarge, "bytes"},
    {SpreadsheetFault::WorkbookTooManyStrings, "strings"},
    {SpreadsheetFault::WorkbookStringsTooLarge, "bytes of text"},
    {SpreadsheetFault::WorkbookTokenTooLarge, "bytes in one text or tag"},
    {SpreadsheetFault::WorkbookTooDeep, "elements inside each other"},
    {SpreadsheetFault::WorkbookTooManyAttributes, "attributes in one tag"},
    {SpreadsheetFault::WorkbookTagTooLarge, "bytes in one tag"},
};

std::string describeSheetFault(const Failure& f) {
    for (const auto& [fault, why] : kPartDamage)
        if (f.fault == fault) return partDamaged(f, why);
    for (const auto& [fault, what] : kPartTooLarge)
        if (f.fault == fault) return partTooLarge(f, what);
    switch (f.fault.as<SpreadsheetFault>()) {
    case SpreadsheetFault::SheetIsUtf16:
        return "the file is UTF-16 text, which import does not read: " + std::string(kSaveAsUtf8);
    case SpreadsheetFault::SheetNotCommaSeparated:
        return std::string("the cells are separated by ") + (f.value == ";" ? "semicolons" : "tabs") +
               ", not commas: " + kSaveAsUtf8;
    case SpreadsheetFault::SheetHeaderMissing: {
        std::string names;
        for (int field = 1; field <= kRecordFields; ++field)
            names += (names.empty() ? "" : ",") + fieldName(field);
        return "the first row must name the " + number(kRecordFields) + " fields: " + names;
    }
    case SpreadsheetFault::SheetHeaderCellWrong:
        return "the first row holds " + shown(f.value) + " where it must name the field " +
               fieldName(f.field);
    case SpreadsheetFault::SheetQuoteNeverCloses:
        return "a quoted cell begins here and never closes";
    case SpreadsheetFault::SheetHoldsNoRecord:
        return "the file holds no record: the catalogue would be empty, and every search would find nothing";
    case SpreadsheetFault::SheetTooLarge:
        return "the file is larger than " + number(f.limit) + " bytes, far beyond any catalogue";
    case SpreadsheetFault::SheetOutOfMemory:
        return "the catalogue made from the file does not fit into the memory the system grants";
    case SpreadsheetFault::SheetUnreadable:
        return causeOf(f);
    case SpreadsheetFault::NotAZipContainer:
        return "the file is not an Office Open XML workbook (no zip container)";
    case SpreadsheetFault::WorkbookNotOrdinaryFile:
        return "the file is not an Office Open XML workbook (not an ordinary file)";
    case SpreadsheetFault::WorkbookPartCannotInflate:
        return partDamaged(f, "it cannot be inflated" +
                                  (f.count != 0 ? " (error " + number(f.count) + ")" : std::string()));
    case SpreadsheetFault::WorkbookXmlBroken:
        return partDamaged(f, f.why);
    case SpreadsheetFault::WorkbookEntryTwice:
        return "the workbook cannot be read: it holds two entries named " + f.value +
               ", and spreadsheets differ in which one they read";
    case SpreadsheetFault::WorkbookTooManyEntries:
        return "the workbook cannot be read: it holds more than " + number(f.limit) +
               " entries, far beyond any catalogue";
    case SpreadsheetFault::WorkbookCellInOtherRow:
        return partDamaged(f, "cell " + f.expected + " stands inside another row");
    case SpreadsheetFault::WorkbookInflatesTooMuch:
        return "the workbook's " + f.value + " inflates to more than " + number(f.limit) +
               " times its size in the container, far beyond any catalogue";
    default:
        return f.why;
    }
}

std::string describeCellFault(const Failure& f) {
    switch (f.fault.as<SpreadsheetFault>()) {
    case SpreadsheetFault::CellStray:
        return "a cell " + shown(f.value) + " beyond the " + number(f.limit) +
               " columns: a value typed one column too far, or a comma inside a cell that lost its quotes; "
               "move it into its column or delete it";
    case SpreadsheetFault::RowTooFewCells:
        return number(f.count) + " cells, not " + number(f.limit);
    case SpreadsheetFault::CellNotUtf8:
        return cell(f) +
               " is not UTF-8: the file was saved as Windows-1252 or another 8-bit character set; " +
               kSaveAsUtf8;
    case SpreadsheetFault::CellReadAsWindows1252:
        return cell(f) + " is UTF-8 text that was read as Windows-1252 (meant: " + shown(f.expected) +
               "), as a spreadsheet does when it opens a CSV file in its default character set: open the CSV "
               "with the character set \"Unicode (UTF-8)\" and save it again the same way, or edit the "
               "workbook that export -o FILE.xlsx writes";
    case SpreadsheetFault::CellNotInCodePage:
        return cell(f) + ": " + causeOf(f);
    case SpreadsheetFault::CellControlCharacter: {
        if (f.count == '\r' || f.count == '\n') return "a line break inside " + cell(f);
        char code[8];
        std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(f.count & 0xFF));
        return cell(f) + " holds the control character " + code + (f.count == '\t' ? " (a tab)" : "") +
               ", which no selection can hold";
    }
    case SpreadsheetFault::CellNoBreakSpace:
        return cell(f) + " holds a no-break space, which no selection holds: type an ordinary space instead";
    case SpreadsheetFault::CellBlankAtEnd:
        return cell(f) + " begins or ends with a blank: a selection is trimmed, so it can never match";
    case SpreadsheetFault::CellWiderThanColumns:
        return cell(f) + " is longer than " + number(f.limit) + " characters: no selection can match it";
    case SpreadsheetFault::CellLongerThanReaderKeeps:
        return fieldName(f.field) + " holds " + number(f.count) + " bytes, more than the " + number(f.limit) +
               " the viewer keeps of a field: the rest would be lost, so the record would not read back as "
               "written";
    case SpreadsheetFault::CellDoubleQuote:
        return cell(f) + " holds a double quote, which the catalogue cannot hold in " + fieldName(f.field);
    case SpreadsheetFault::CellLiteralStar:
        return cell(f) + " holds a literal * that the star rule would turn into a double quote (character " +
               number(f.count) + ")";
    case SpreadsheetFault::CellQuoteStarRuleLoses:
        return cell(f) + " holds a double quote that the star rule will not restore: only the first " +
               number(f.limit) + " * of " + fieldName(f.field) + " become quotes (character " +
               number(f.count) + ")";
    case SpreadsheetFault::CellYearNotWhole:
        return cell(f) + " is a year that is not a whole number " + kYearRange;
    case SpreadsheetFault::RecordYearsReversed:
        return "the record runs from " + number(f.count) + " to " + number(f.limit) +
               ": no year lies in that range, so no selection finds it";
    case SpreadsheetFault::CellEndsCatalogue:
        return "VehicleId \"0\", which would end the catalogue here";
    case SpreadsheetFault::CellGuardInWorkbook:
        return cell(f) +
               " begins with the \"'\" that export puts in front of a CSV cell so that a spreadsheet takes "
               "it "
               "as text; a workbook keeps its cells as text without it: delete the \"'\", or import the CSV "
               "file";
    case SpreadsheetFault::CellFormula:
        return "a formula" + (f.expected.empty() ? std::string() : " " + shown(f.expected)) + " (its value " +
               shown(f.value) + " was computed by the spreadsheet): type the value itself as text";
    case SpreadsheetFault::CellTrueOrFalse:
        return cellKind("true-or-false", f);
    case SpreadsheetFault::CellErrorValue:
        return cellKind("error", f);
    case SpreadsheetFault::CellDate:
        return cellKind("date", f);
    case SpreadsheetFault::VehicleIdUsedTwice:
        return "VehicleId " + shown(f.value) + " is also used on line " + number(f.count);
    default:
        return f.why;
    }
}

std::string describeWrittenFault(const Failure& f) {
    switch (f.fault.as<SpreadsheetFault>()) {
    case SpreadsheetFault::WorkbookCannotStart:
        return "cannot start the workbook " + f.file;
    case SpreadsheetFault::WorkbookCannotBeWritten:
        return "cannot write the workbook " + f.file + ": " + f.why;
    case SpreadsheetFault::WorkbookCellRefused:
        return workbookCell(f) + f.why;
    case SpreadsheetFault::WorkbookCellTooLong:
        return workbookCell(f) +
               "more than the 32,767 characters a workbook cell holds; export as CSV instead";
    case SpreadsheetFault::WorkbookTooManyRows:
        return workbookCell(f) +
               "more records than the 1,048,575 rows a worksheet holds; export as CSV instead";
    case SpreadsheetFault::WorkbookNoScratchFolder:
        return "cannot make a temporary folder for the workbook: " + f.why;
    case SpreadsheetFault::CatalogueTooLargeToCompare:
        return "The catalogue " + f.file + " has too many records to compare";
    case SpreadsheetFault::CatalogueChangedWhileCompared:
        return "The catalogue " + f.file + " changed while it was being compared";
    default:
        return f.why;
    }
}

const char* const kNumberCellRemedy =
    "format the column as text and type the value again, or edit the workbook that export -o FILE.xlsx "
    "writes, whose cells stay text";

std::string describeConversionFault(const Failure& f) {
    switch (f.fault.as<SpreadsheetFault>()) {
    case SpreadsheetFault::RowNeverShown:
        return causeOf(f) + "; the viewer never shows this record, so deleting its row changes nothing it "
                            "shows: delete the "
                            "row, or change its names or years so that it answers a selection of its own";
    case SpreadsheetFault::CellNumberFormatUnread:
        return cell(f) + " is a number cell whose number format " +
               (f.expected.empty() ? "(built-in number " + number(f.count) + ")" : shown(f.expected)) +
               " import cannot apply, so it cannot tell what the spreadsheet shows: " + kNumberCellRemedy;
    case SpreadsheetFault::SheetIndexColumn:
        return "the first column (headed " + shown(f.value) +
               ") is a row index that a script added, not a field: write the file without it (pandas: "
               "index=False) or delete the column";
    case SpreadsheetFault::DiffGivenWorkbook:
        return f.file +
               " is a workbook, not a catalogue: diff compares catalogues; to see what importing it "
               "changes, run import --dry-run " +
               f.file;
    case SpreadsheetFault::SpreadsheetCannotBeRead:
        return "cannot read " + f.file + ": " + f.why;
    case SpreadsheetFault::PartCodeUnknown:
        return recordNumbered(f.record) + ", " + cell(f) +
               " is a part code with neither a picture nor a description in the data folder";
    case SpreadsheetFault::PartCodeLooksConverted:
        return recordNumbered(f.record) + ", " + cell(f) +
               " is a part code with neither a picture nor a description in the data folder, and " + f.why +
               ", as a spreadsheet writes a cell it converted: check that it is the code you typed";
    case SpreadsheetFault::CellNumberShownByLanguage:
        return cell(f) +
               " is a number cell, which a spreadsheet shows with the decimal mark and thousands separator "
               "of "
               "its language (\".\" or \",\"), so what it shows depends on who opens it: " +
               kNumberCellRemedy;
    case SpreadsheetFault::WorkbookTooManyStyles:
        return partTooLarge(f, "cell styles");
    case SpreadsheetFault::CellNumberInNewRecord:
        return recordNumbered(f.record) + " (new), " + cell(f) +
               " is a number cell, which shows the number in the spreadsheet's own form, not as typed";
    default:
        return f.why;
    }
}

std::string describeSpreadsheetFault(const Failure& failure) {
    const auto fault = failure.fault.number;
    auto numberOf = [](SpreadsheetFault f) { return static_cast<std::uint16_t>(f); };
    if (fault < numberOf(SpreadsheetFault::CellStray) ||
        fault >= numberOf(SpreadsheetFault::WorkbookEntryTwice))
        return describeSheetFault(failure);
    if (fault < numberOf(SpreadsheetFault::WorkbookCannotStart)) return describeCellFault(failure);
    if (fault < numberOf(SpreadsheetFault::RowNeverShown)) return describeWrittenFault(failure);
    return describeConversionFault(failure);
}

constexpr WordedFamily kFamily("spreadsheet", describeSpreadsheetFault);

} // namespace

const FaultFamily& faultFamily(SpreadsheetFault) {
    return kFamily;
}

std::string describeAt(const Failure& failure, bool error) {
    std::string where = failure.file;
    if (failure.line > 0) where += ":" + std::to_string(failure.line);
    if (failure.line > 0 && failure.column > 0) where += ":" + std::to_string(failure.column);
    return where + (error ? ": error: " : ": warning: ") + describe(failure);
}

std::vector<std::string> describeAllAt(const std::vector<Failure>& named, std::uint64_t more, bool error) {
    std::vector<std::string> lines;
    lines.reserve(named.size() + 1);
    for (const Failure& failure : named)
        lines.push_back(describeAt(failure, error));
    if (more > 0) lines.push_back("and " + std::to_string(more) + " more");
    return lines;
}

Failure sheetRefused(const std::string& file, const std::vector<Failure>& named, std::uint64_t more) {
    Failure refused(SpreadsheetFault::SheetRefused);
    refused.file = file;
    refused.count = static_cast<std::int64_t>(named.size() + more);
    for (const std::string& line : describeAllAt(named, more, true))
        refused.why += (refused.why.empty() ? "" : "\n") + line;
    return refused;
}

} // namespace specialty
