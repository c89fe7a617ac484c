// How an operation failed: one fault of the table below and the details its text names (which file,
// where in it, which record, field and value). Every layer reports failures this way; describe() in
// messages.h is the one place that words them for the user.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace specialty {

// The faults, grouped by family in blocks of a hundred; each family's texts are made in one file of the
// formatter (catalogue/src/texts_*.cpp). The comment of each fault names the details it uses.
enum class Fault : std::uint16_t {
    // Files and the system.
    System = 1,          // the system refused: `why` holds its own reason; file
    PathHoldsNul = 2,    // file
    IsDirectory = 3,     // file: a directory where a file was wanted
    NotOrdinaryFile = 4, // file: a FIFO, device or socket where a file was wanted
    FileTooLarge = 5,    // file, limit: the most bytes it may hold
    NotUtf8 = 6,         // count: which character of the text (from 1) is not well-formed UTF-8
    NotInCodePage = 7,   // count: which character (from 1); value: that character in UTF-8

    // The catalogue, its records and the data folder.
    CatalogueCannotBeOpened = 100, // file, cause
    CatalogueCannotBeRead = 101,   // file, cause
    CatalogueEndsInRecord = 102,   // file, record, count: the fields it has
    CatalogueFieldTooLong = 103,   // file, record, field, limit: the most bytes a field may hold
    SelectionYearNotWhole = 104,   // field: 1 or 2 (Year1, Year2), value, record: the one that needed it
    RecordYearNotWhole = 105,      // record, field (YearFrom or YearTo), value
    PartCodeNotPlainName = 106,    // value: the part code
    SpareFieldNotKept = 110,       // limit: the bytes of it kept (a note shown in the field's place)
    CheckSpareFieldLong = 111,     // record, limit: the bytes of it kept

    // Pictures.
    PictureNotDecodedFormat = 200,  // expected: the formats that are decoded
    PictureHasTooManyScans = 201,   // count: its scans, limit: the most a picture may have
    PictureGivesNoSize = 202,       // why: the image reader's own reason
    PictureScansTakeTooLong = 203,  // value: its size as "WIDTH x HEIGHT", count: its scans
    PictureDoesNotFitMemory = 204,  // value: its size as "WIDTH x HEIGHT", limit: the bytes left for it
    PictureDoesNotDecode = 205,     // cause, or why: the image reader's own reason
    PictureTimeIsUp = 206,          // -
    PictureOutOfMemory = 207,       // -
    PictureDecodesOnlyPartly = 208, // why: the decoder's warnings, one a line
    PictureRowsCutShort = 210,      // count: the pixel rows the file gives, limit: the rows of the picture

    // The checker's findings.
    // About the catalogue's bytes and records; `record` is the record's position, `value` a field as the
    // viewer shows it ("*" rule applied).
    CheckByteOrderMark = 300,       // (no details)
    CheckUtf8Field = 301,           // field, value, record
    CheckNameTooLong = 302,         // field, value, record, limit: the width of its selection columns
    CheckNameBlankEnds = 303,       // field, value, record
    CheckNameUnmappable = 304,      // field, value, record
    CheckYearNotWhole = 305,        // field, value, record
    CheckYearsReversed = 306,       // record, count: YearFrom, limit: YearTo
    CheckYearsBelowSelection = 307, // record, count: YearFrom, limit: YearTo
    CheckNeverShown = 308,          // record, value: its VehicleId, count: YearFrom, limit: YearTo,
                                    // cause: the earlier records that find those years (CheckEarlierRecord
                                    // after CheckEarlierRecord, then CheckEarlierMore or CheckEarlierOthers
                                    // when some are not named)
    CheckEarlierRecord = 309,       // record, line (0: not known); cause: the next of the chain
    CheckVehicleIdRepeated = 310,   // value: the VehicleId, record, cause: a CheckEarlierRecord
    CheckEarlierMore = 311,         // count: earlier records not named
    CheckEarlierOthers = 312,       // (no details): earlier records not counted
    CheckTooManyVehicles = 313,     // record: the first not judged
    CheckTooManyVehicleIds = 314,   // record: the first not judged
    CheckEndsInRecord = 315,        // record, count: the fields it has
    CheckFieldTooLong = 316,        // field, record, limit: the bytes a field may hold
    CheckLinesAfterEnd = 317,       // (no details)
    CheckNoEndRecord = 318,         // (no details)
    CheckNoRecord = 319,            // (no details)
    // About the lines: `line` is the line, `count` the fields it holds.
    CheckLineFields = 320,       // line, count
    CheckShiftBegins = 321,      // line, count, record: the first record read shifted
    CheckShiftUntil = 322,       // line, count, record, limit: the line where the records are in step again
    CheckShiftToEnd = 323,       // line, count, record
    CheckShiftEnds = 324,        // line: where the shift began
    CheckShiftStays = 325,       // line: where the shift began
    CheckRecordsOnLine = 326,    // line, count: the records it holds
    CheckRecordSpansLines = 327, // record, line: its first, limit: its last
    CheckAsLineReads = 328,      // line: the line judged, limit: the line where the shift began; cause
    CheckUnjudgedLines = 329,    // count: lines, line: the first of them
    // About part files: `value` is the part code, `record` the record that first used it, `file` the file's
    // name in the data folder.
    CheckTooManyPartCodes = 330,      // record: the first not checked
    CheckPartCodeNotAName = 331,      // value, record
    CheckNoPicture = 332,             // value, record, file, expected: a name differing in letter case alone
    CheckPictureNotWhole = 333,       // value, record, file, why: what keeps it from showing whole
    CheckNoDescription = 334,         // value, record, file, expected: as for CheckNoPicture
    CheckDescriptionUnreadable = 335, // value, record, file, cause
    CheckFolderUnlisted = 336,        // why: the system's reason
    CheckUnusedPicture = 337,         // (no details: the finding names the file)
    CheckUnusedDescription = 338,     // (no details)
    CheckPartFileLeadsOutside = 360,  // value: the code, record, file: its name; expected: where it leads
    // Where a reader's failure lies in the catalogue's lines, for list, find and uses.
    CatalogueDamageBegins = 350, // line, count: the fields it holds (23 or less than 0: not named); cause
    CatalogueRecordOnLine = 351, // line: where the record starts; cause

    // Spreadsheets: import and export.
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
    RowNeverShown = 480,                 // cause: the record's CheckNeverShown
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
    WorkbookEntryTwice = 490,            // value: the entry's name in the container
    WorkbookTooManyEntries = 491,        // limit: the most entries read
    WorkbookCellInOtherRow = 492,        // value: the worksheet's part; expected: the cell's reference
    WorkbookEntryDamaged = 493,          // value: the part, whose bytes do not match their checksum
    WorkbookNotUtf8 = 494,               // value: the part
    WorkbookTooDeep = 495,               // value: the part; limit: the most elements inside each other
    WorkbookTooManyAttributes = 496,     // value: the part; limit: the most attributes in one tag
    WorkbookTagTooLarge = 497,           // value: the part; limit: the most bytes in one tag
    WorkbookInflatesTooMuch = 498,       // value: the part; limit: the most times its stored size

    // Files the tools write.
    // `file` is the file named, `why` the system's reason.
    OutputCannotFollow = 500,         // file, why
    OutputDanglingLink = 501,         // file
    OutputCannotLookAt = 502,         // file, why
    OutputUnreadFifo = 503,           // file
    OutputCannotOpen = 504,           // file, why
    OutputChangedWhileOpened = 505,   // file
    OutputIsFolder = 506,             // file
    OutputIsBlockDevice = 507,        // file
    OutputIsSocket = 508,             // file
    OutputIsOtherKind = 509,          // file
    OutputNoTemporary = 510,          // file: the target, why
    OutputCannotWrite = 511,          // file, why
    OutputCannotFinish = 512,         // file, why
    OutputCannotSetPermissions = 513, // file, why
    OutputCannotFlush = 514,          // file, why
    OutputCannotClose = 515,          // file, why
    OutputCannotRead = 516,           // file, why
    OutputCannotGiveOwner = 517,      // file: the temporary file, value: the target, why
    OutputCannotReplace = 518,        // file, why
    // The commands that write them.
    OutputIsTheCatalogue = 530,          // file: the output, value: the catalogue
    OutputCsvNotWritten = 531,           // cause
    OutputWorkbookNotWritten = 532,      // cause
    OutputPreviousNotKept = 533,         // cause
    OutputNothingWritten = 534,          // cause
    OutputStandardOutput = 535,          // why
    OutputStandardOutputAfterFile = 536, // why, count: the exit status that tells how the file went
    // sheet's folder.
    SheetNoFolder = 550,           // (no details)
    SheetFolderUnusable = 551,     // file, why
    SheetFolderNotMade = 552,      // file, why (may be empty)
    SheetNotAFolder = 553,         // file
    SheetFolderNotEmpty = 554,     // file
    SheetFolderUnreadable = 555,   // file, why
    SheetCannotMakeFile = 556,     // file: the folder, why (a file that cannot be written: OutputCannotWrite)
    SheetNotWritten = 560,         // cause
    SheetIncomplete = 561,         // cause
    SheetNoThumbnail = 562,        // (no details): a picture that decodes but cannot be made small
    SheetFolderNotYours = 570,     // file; count: the uid that owns it
    SheetFolderOpenToOthers = 571, // file
};

struct Failure {
    explicit Failure(Fault of) : fault(of) {}

    Fault fault;
    std::string file;       // the file at fault, as the user named it; empty: none
    std::uint64_t line = 0; // where in the file, from 1; 0: not known
    std::uint64_t column = 0;
    std::int64_t record = -1;             // which record, by its position from 0; -1: none
    int field = 0;                        // which field of the record, from 1; 0: none
    std::string value;                    // the value at fault, as the file holds it
    std::string expected;                 // what the text says was expected instead
    std::int64_t count = 0;               // a number the text names: fields read, scans, bytes
    std::int64_t limit = 0;               // the bound that `count` passed
    std::string why;                      // the system's own reason, where it gave one
    std::shared_ptr<const Failure> cause; // the failure below this one, which its text goes on to name
};

// The fault `fault` of the file (or folder) `file`, for the reason `why` that the system or a library
// gave, if any.
inline Failure fileFault(Fault fault, std::string file, std::string why = {}) {
    Failure failure(fault);
    failure.file = std::move(file);
    failure.why = std::move(why);
    return failure;
}

// `failure` with `cause` as the failure below it.
inline Failure causedBy(Failure failure, Failure cause) {
    failure.cause = std::make_shared<const Failure>(std::move(cause));
    return failure;
}

} // namespace specialty
