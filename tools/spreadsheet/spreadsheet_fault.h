// The faults of import, export and diff: spreadsheets, workbooks and the catalogues compared; their texts
// are made in spreadsheet_texts.cpp. The comment of each fault names the details it uses.
#pragma once

#include "catalogue/failure.h"

#include <cstdint>

namespace specialty {

enum class SpreadsheetFault : std::uint16_t {
    // Import's faults name where they lie (file, line, column: the CSV line or the workbook row) and,
    // for a cell, its field and its value as the file holds it (UTF-8).
    SheetIsUtf16 = 400,           // file, line
    SheetNotCommaSeparated = 401, // value: the separator its cells have (";" or a tab)
    SheetHeaderMissing = 402,     // the first row does not name the fields
    SheetHeaderCellWrong = 403,   // field: the one the cell must name; value: the cell
    SheetQuoteNeverCloses = 404,  // line, column: where the quoted cell begins
    SheetHoldsNoRecord = 405,
    SheetTooLarge = 406,    // limit: the most bytes import reads
    SheetOutOfMemory = 407, // the catalogue made from it does not fit
    SheetUnreadable = 408,  // cause: why the file cannot be read on
    SheetRefused = 409,     // file; count: the faults found; why: their lines, as sheetRefused() words them
    NotAZipContainer = 410,
    WorkbookNotOrdinaryFile = 411,
    WorkbookPartMissing = 412,       // value: the part's name in the container
    WorkbookEntryUnreadable = 413,   // value: the part
    WorkbookPartCannotInflate = 414, // value: the part; count: the zip library's error number, 0: none
    WorkbookDeclaresEntities = 415,  // value: the part
    WorkbookXmlBroken = 416,         // value: the part; why: the XML reader's reason
    WorkbookXmlEndsEarly = 417,      // value: the part
    WorkbookHoldsComment = 418,      // value: the part
    WorkbookNamesNoSheet = 419,      // value: the part
    WorkbookSheetWithoutPart = 420,  // value: the part that should name it
    WorkbookRowOutOfOrder = 421,     // value: the worksheet's part
    WorkbookRowNeverEnds = 422,      // value: the worksheet's part
    WorkbookCellOutOfOrder = 423,    // value: the worksheet's part
    WorkbookStringMissing = 424,     // value: the worksheet's part
    WorkbookPartTooLarge = 425,      // value: the part; limit: the most bytes inflated
    WorkbookTooManyStrings = 426,    // value: the part; limit
    WorkbookStringsTooLarge = 427,   // value: the part; limit: the most bytes of their text
    WorkbookTokenTooLarge = 428,     // value: the part; limit: the most bytes in one text or tag
    CellStray = 430,                 // value; limit: the columns a row has
    RowTooFewCells = 431,            // count: the cells; limit: the columns a row has
    CellNotUtf8 = 432,               // field, value
    CellReadAsWindows1252 = 433,     // field, value; expected: the text it was meant to be
    CellNotInCodePage = 434,         // field, value; cause: what the code page lacks
    CellControlCharacter = 435,      // field, value; count: the character's byte
    CellNoBreakSpace = 436,          // field, value
    CellBlankAtEnd = 437,            // field, value
    CellWiderThanColumns = 438,      // field, value; limit: the selection's columns for it
    CellLongerThanReaderKeeps = 439, // field; count: its bytes; limit: the most the reader keeps
    CellDoubleQuote = 440,           // field, value
    CellLiteralStar = 441,           // field, value; count: which character, from 1
    CellQuoteStarRuleLoses = 442,    // field, value; count: which character, from 1; limit: the field's stars
    CellYearNotWhole = 443,          // field, value
    RecordYearsReversed = 444,       // count: YearFrom; limit: YearTo
    CellEndsCatalogue = 445,         // a VehicleId "0" inside the records
    CellGuardInWorkbook = 446,       // field, value
    CellFormula = 447,               // value: what the spreadsheet computed
    CellTrueOrFalse = 448,           // value
    CellErrorValue = 449,            // value
    CellDate = 450,                  // value
    VehicleIdUsedTwice = 451,        // value; count: the line that uses it first
    WorkbookCannotStart = 460,       // file
    WorkbookCannotBeWritten = 461,   // file; why: the workbook library's reason
    WorkbookCellRefused = 462,       // record, field; why: the workbook library's reason
    WorkbookCellTooLong = 463,       // record, field
    WorkbookTooManyRows = 464,       // record, field
    WorkbookNoScratchFolder = 465,   // why: the system's reason
    CatalogueTooLargeToCompare = 470,    // file
    CatalogueChangedWhileCompared = 471, // file
    RowNeverShown = 480,                 // cause: the record's CheckFault::NeverShown
    CellNumberFormatUnread = 481, // field, value: the number stored; expected: its format code, or count: its
                                  // built-in number
    SheetIndexColumn = 482,       // value: the first header cell
    DiffGivenWorkbook = 483,      // file
    SpreadsheetCannotBeRead = 484,   // file; why: the system's reason
    PartCodeUnknown = 485,           // field, value: the code (a warning)
    PartCodeLooksConverted = 486,    // field, value: the code; why: what it looks like (a warning)
    CellNumberInNewRecord = 487,     // field, value: what the number cell shows
    WorkbookTooManyStyles = 488,     // value: the part; limit
    CellNumberShownByLanguage = 489, // field, value: the number as shown in English
    WorkbookEntryTwice = 490,        // value: the entry's name in the container
    WorkbookTooManyEntries = 491,    // limit: the most entries read
    WorkbookCellInOtherRow = 492,    // value: the worksheet's part; expected: the cell's reference
    WorkbookEntryDamaged = 493,      // value: the part, whose bytes do not match their checksum
    WorkbookNotUtf8 = 494,           // value: the part
    WorkbookTooDeep = 495,           // value: the part; limit: the most elements inside each other
    WorkbookTooManyAttributes = 496, // value: the part; limit: the most attributes in one tag
    WorkbookTagTooLarge = 497,       // value: the part; limit: the most bytes in one tag
    WorkbookInflatesTooMuch = 498,   // value: the part; limit: the most times its stored size
};
const FaultFamily& faultFamily(SpreadsheetFault);

} // namespace specialty
