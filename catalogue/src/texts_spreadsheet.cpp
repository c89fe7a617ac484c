// The texts of the faults in failure.h's block "Spreadsheets: import and export", and the form import
// gives them: where each lies in the file, and the refusal that names them all.
#include "fault_texts.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/messages.h"
#include "catalogue/spreadsheet_texts.h"

#include <cstdio>

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

std::string describeSheetFault(const Failure& f) {
    switch (f.fault) {
    case Fault::SheetIsUtf16:
        return "the file is UTF-16 text, which import does not read: " + std::string(kSaveAsUtf8);
    case Fault::SheetNotCommaSeparated:
        return std::string("the cells are separated by ") + (f.value == ";" ? "semicolons" : "tabs") +
               ", not commas: " + kSaveAsUtf8;
    case Fault::SheetHeaderMissing: {
        std::string names;
        for (int field = 1; field <= kRecordFields; ++field)
            names += (names.empty() ? "" : ",") + fieldName(field);
        return "the first row must name the " + number(kRecordFields) + " fields: " + names;
    }
    case Fault::SheetHeaderCellWrong:
        return "the first row holds " + shown(f.value) + " where it must name the field " +
               fieldName(f.field);
    case Fault::SheetQuoteNeverCloses:
        return "a quoted cell begins here and never closes";
    case Fault::SheetHoldsNoRecord:
        return "the file holds no record: the catalogue would be empty, and every search would find nothing";
    case Fault::SheetTooLarge:
        return "the file is larger than " + number(f.limit) + " bytes, far beyond any catalogue";
    case Fault::SheetOutOfMemory:
        return "the catalogue made from the file does not fit into the memory the system grants";
    case Fault::SheetUnreadable:
        return causeOf(f);
    case Fault::NotAZipContainer:
        return "the file is not an Office Open XML workbook (no zip container)";
    case Fault::WorkbookNotOrdinaryFile:
        return "the file is not an Office Open XML workbook (not an ordinary file)";
    case Fault::WorkbookPartMissing:
        return partDamaged(f, "the part is missing");
    case Fault::WorkbookEntryUnreadable:
        return partDamaged(f, "its entry cannot be read");
    case Fault::WorkbookPartCannotInflate:
        return partDamaged(f, "it cannot be inflated" +
                                  (f.count != 0 ? " (error " + number(f.count) + ")" : std::string()));
    case Fault::WorkbookDeclaresEntities:
        return partDamaged(f, "it declares a document type or entities");
    case Fault::WorkbookXmlBroken:
        return partDamaged(f, f.why);
    case Fault::WorkbookXmlEndsEarly:
        return partDamaged(f, "the XML ends early");
    case Fault::WorkbookHoldsComment:
        return partDamaged(f, "it holds a comment, a CDATA section, a document type or an instruction");
    case Fault::WorkbookNamesNoSheet:
        return partDamaged(f, "it names no sheet");
    case Fault::WorkbookSheetWithoutPart:
        return partDamaged(f, "the first sheet has no part");
    case Fault::WorkbookRowOutOfOrder:
        return partDamaged(f, "a row is out of order");
    case Fault::WorkbookRowNeverEnds:
        return partDamaged(f, "a row never ends");
    case Fault::WorkbookCellOutOfOrder:
        return partDamaged(f, "a cell is out of order");
    case Fault::WorkbookStringMissing:
        return partDamaged(f, "a cell names a string that is not there");
    case Fault::WorkbookPartTooLarge:
        return partTooLarge(f, "bytes");
    case Fault::WorkbookTooManyStrings:
        return partTooLarge(f, "strings");
    case Fault::WorkbookStringsTooLarge:
        return partTooLarge(f, "bytes of text");
    case Fault::WorkbookTokenTooLarge:
        return partTooLarge(f, "bytes in one text or tag");
    case Fault::WorkbookEntryTwice:
        return "the workbook cannot be read: it holds two entries named " + f.value +
               ", and spreadsheets differ in which one they read";
    case Fault::WorkbookTooManyEntries:
        return "the workbook cannot be read: it holds more than " + number(f.limit) +
               " entries, far beyond any catalogue";
    case Fault::WorkbookCellInOtherRow:
        return partDamaged(f, "cell " + f.expected + " stands inside another row");
    case Fault::WorkbookEntryDamaged:
        return partDamaged(f, "its bytes do not match their checksum");
    case Fault::WorkbookNotUtf8:
        return partDamaged(f, "it is not written in UTF-8");
    case Fault::WorkbookTooDeep:
        return partTooLarge(f, "elements inside each other");
    case Fault::WorkbookTooManyAttributes:
        return partTooLarge(f, "attributes in one tag");
    case Fault::WorkbookTagTooLarge:
        return partTooLarge(f, "bytes in one tag");
    case Fault::WorkbookInflatesTooMuch:
        return "the workbook's " + f.value + " inflates to more than " + number(f.limit) +
               " times its size in the container, far beyond any catalogue";
    default:
        return f.why;
    }
}

std::string describeCellFault(const Failure& f) {
    switch (f.fault) {
    case Fault::CellStray:
        return "a cell " + shown(f.value) + " beyond the " + number(f.limit) +
               " columns: a value typed one column too far, or a comma inside a cell that lost its quotes; "
               "move it into its column or delete it";
    case Fault::RowTooFewCells:
        return number(f.count) + " cells, not " + number(f.limit);
    case Fault::CellNotUtf8:
        return cell(f) +
               " is not UTF-8: the file was saved as Windows-1252 or another 8-bit character set; " +
               kSaveAsUtf8;
    case Fault::CellReadAsWindows1252:
        return cell(f) + " is UTF-8 text that was read as Windows-1252 (meant: " + shown(f.expected) +
               "), as a spreadsheet does when it opens a CSV file in its default character set: open the CSV "
               "with the character set \"Unicode (UTF-8)\" and save it again the same way, or edit the "
               "workbook that export -o FILE.xlsx writes";
    case Fault::CellNotInCodePage:
        return cell(f) + ": " + causeOf(f);
    case Fault::CellControlCharacter: {
        if (f.count == '\r' || f.count == '\n') return "a line break inside " + cell(f);
        char code[8];
        std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(f.count & 0xFF));
        return cell(f) + " holds the control character " + code + (f.count == '\t' ? " (a tab)" : "") +
               ", which no selection can hold";
    }
    case Fault::CellNoBreakSpace:
        return cell(f) + " holds a no-break space, which no selection holds: type an ordinary space instead";
    case Fault::CellBlankAtEnd:
        return cell(f) + " begins or ends with a blank: a selection is trimmed, so it can never match";
    case Fault::CellWiderThanColumns:
        return cell(f) + " is longer than " + number(f.limit) + " characters: no selection can match it";
    case Fault::CellLongerThanReaderKeeps:
        return fieldName(f.field) + " holds " + number(f.count) + " bytes, more than the " + number(f.limit) +
               " the viewer keeps of a field: the rest would be lost, so the record would not read back as "
               "written";
    case Fault::CellDoubleQuote:
        return cell(f) + " holds a double quote, which the catalogue cannot hold in " + fieldName(f.field);
    case Fault::CellLiteralStar:
        return cell(f) + " holds a literal * that the star rule would turn into a double quote (character " +
               number(f.count) + ")";
    case Fault::CellQuoteStarRuleLoses:
        return cell(f) + " holds a double quote that the star rule will not restore: only the first " +
               number(f.limit) + " * of " + fieldName(f.field) + " become quotes (character " +
               number(f.count) + ")";
    case Fault::CellYearNotWhole:
        return cell(f) + " is a year that is not a whole number " + kYearRange;
    case Fault::RecordYearsReversed:
        return "the record runs from " + number(f.count) + " to " + number(f.limit) +
               ": no year lies in that range, so no selection finds it";
    case Fault::CellEndsCatalogue:
        return "VehicleId \"0\", which would end the catalogue here";
    case Fault::CellGuardInWorkbook:
        return cell(f) +
               " begins with the \"'\" that export puts in front of a CSV cell so that a spreadsheet takes "
               "it "
               "as text; a workbook keeps its cells as text without it: delete the \"'\", or import the CSV "
               "file";
    case Fault::CellFormula:
        return "a formula" + (f.expected.empty() ? std::string() : " " + shown(f.expected)) + " (its value " +
               shown(f.value) + " was computed by the spreadsheet): type the value itself as text";
    case Fault::CellTrueOrFalse:
        return cellKind("true-or-false", f);
    case Fault::CellErrorValue:
        return cellKind("error", f);
    case Fault::CellDate:
        return cellKind("date", f);
    case Fault::VehicleIdUsedTwice:
        return "VehicleId " + shown(f.value) + " is also used on line " + number(f.count);
    default:
        return f.why;
    }
}

std::string describeWrittenFault(const Failure& f) {
    switch (f.fault) {
    case Fault::WorkbookCannotStart:
        return "cannot start the workbook " + f.file;
    case Fault::WorkbookCannotBeWritten:
        return "cannot write the workbook " + f.file + ": " + f.why;
    case Fault::WorkbookCellRefused:
        return workbookCell(f) + f.why;
    case Fault::WorkbookCellTooLong:
        return workbookCell(f) +
               "more than the 32,767 characters a workbook cell holds; export as CSV instead";
    case Fault::WorkbookTooManyRows:
        return workbookCell(f) +
               "more records than the 1,048,575 rows a worksheet holds; export as CSV instead";
    case Fault::WorkbookNoScratchFolder:
        return "cannot make a temporary folder for the workbook: " + f.why;
    case Fault::CatalogueTooLargeToCompare:
        return "The catalogue " + f.file + " has too many records to compare";
    case Fault::CatalogueChangedWhileCompared:
        return "The catalogue " + f.file + " changed while it was being compared";
    default:
        return f.why;
    }
}

const char* const kNumberCellRemedy =
    "format the column as text and type the value again, or edit the workbook that export -o FILE.xlsx "
    "writes, whose cells stay text";

std::string describeConversionFault(const Failure& f) {
    switch (f.fault) {
    case Fault::RowNeverShown:
        return causeOf(f) + "; the viewer never shows this record, so deleting its row changes nothing it "
                            "shows: delete the "
                            "row, or change its names or years so that it answers a selection of its own";
    case Fault::CellNumberFormatUnread:
        return cell(f) + " is a number cell whose number format " +
               (f.expected.empty() ? "(built-in number " + number(f.count) + ")" : shown(f.expected)) +
               " import cannot apply, so it cannot tell what the spreadsheet shows: " + kNumberCellRemedy;
    case Fault::SheetIndexColumn:
        return "the first column (headed " + shown(f.value) +
               ") is a row index that a script added, not a field: write the file without it (pandas: "
               "index=False) or delete the column";
    case Fault::DiffGivenWorkbook:
        return f.file +
               " is a workbook, not a catalogue: diff compares catalogues; to see what importing it "
               "changes, run import --dry-run " +
               f.file;
    case Fault::SpreadsheetCannotBeRead:
        return "cannot read " + f.file + ": " + f.why;
    case Fault::PartCodeUnknown:
        return recordNumbered(f.record) + ", " + cell(f) +
               " is a part code with neither a picture nor a description in the data folder";
    case Fault::PartCodeLooksConverted:
        return recordNumbered(f.record) + ", " + cell(f) +
               " is a part code with neither a picture nor a description in the data folder, and " + f.why +
               ", as a spreadsheet writes a cell it converted: check that it is the code you typed";
    case Fault::CellNumberShownByLanguage:
        return cell(f) +
               " is a number cell, which a spreadsheet shows with the decimal mark and thousands separator "
               "of "
               "its language (\".\" or \",\"), so what it shows depends on who opens it: " +
               kNumberCellRemedy;
    case Fault::WorkbookTooManyStyles:
        return partTooLarge(f, "cell styles");
    case Fault::CellNumberInNewRecord:
        return recordNumbered(f.record) + " (new), " + cell(f) +
               " is a number cell, which shows the number in the spreadsheet's own form, not as typed";
    default:
        return f.why;
    }
}

} // namespace

std::string describeSpreadsheetFault(const Failure& failure) {
    const int fault = static_cast<int>(failure.fault);
    if (fault < static_cast<int>(Fault::CellStray) || fault >= static_cast<int>(Fault::WorkbookEntryTwice))
        return describeSheetFault(failure);
    if (fault < static_cast<int>(Fault::WorkbookCannotStart)) return describeCellFault(failure);
    if (fault < static_cast<int>(Fault::RowNeverShown)) return describeWrittenFault(failure);
    return describeConversionFault(failure);
}

std::string describeAt(const Failure& failure, bool error) {
    std::string where = failure.file;
    if (failure.line > 0) where += ":" + std::to_string(failure.line);
    if (failure.line > 0 && failure.column > 0) where += ":" + std::to_string(failure.column);
    return where + (error ? ": error: " : ": warning: ") + describe(failure);
}

std::vector<std::string> describeAllAt(const std::vector<Failure>& named, std::uint64_t more, bool error) {
    std::vector<std::string> lines;
    for (const Failure& failure : named)
        lines.push_back(describeAt(failure, error));
    if (more > 0) lines.push_back("and " + std::to_string(more) + " more");
    return lines;
}

Failure sheetRefused(const std::string& file, const std::vector<Failure>& named, std::uint64_t more) {
    Failure refused(Fault::SheetRefused);
    refused.file = file;
    refused.count = static_cast<std::int64_t>(named.size() + more);
    for (const std::string& line : describeAllAt(named, more, true))
        refused.why += (refused.why.empty() ? "" : "\n") + line;
    return refused;
}

} // namespace specialty
