// The texts import shows for a spreadsheet it reads: what is wrong with a cell, the file or its layout, and
// what to do about it. Every such text is made here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace specialty {

// "FILE:LINE:COLUMN: error: MESSAGE", the compiler's form that editors jump from; a column or line of 0 is
// left out.
std::string faultAt(const std::string& file, std::uint64_t line, std::uint64_t column, bool error,
                    const std::string& message);
std::string moreFaults(std::uint64_t count);
std::string nothingWritten();

// The file as a whole.
std::string notUtf8ButUtf16();
std::string separatedBy(char separator);
std::string headerExpected(const std::string& names);
std::string headerCellExpected(std::string_view cell, const std::string& name);
std::string quoteNeverCloses();
std::string noRecords();
std::string fileTooLarge(std::uint64_t most);
std::string outOfMemory();
std::string notAWorkbook(const std::string& why);
std::string workbookDamaged(const std::string& part, const std::string& why);
std::string workbookTooLarge(const std::string& part, const std::string& what, std::uint64_t most);

// One row or cell; `value` is the cell's text as the file holds it (UTF-8).
std::string strayCell(std::string_view value, int columns);
std::string tooFewCells(std::size_t cells, int columns);
std::string notUtf8(const std::string& field, std::string_view value);
std::string utf8ReadAsWindows1252(const std::string& field, std::string_view value, std::string_view meant);
std::string notInCodePage(const std::string& field, std::string_view value, const std::string& why);
std::string controlCharacter(const std::string& field, std::string_view value, unsigned char byte);
std::string noBreakSpace(const std::string& field, std::string_view value);
std::string blankAtEnd(const std::string& field, std::string_view value);
std::string longerThanColumns(const std::string& field, std::string_view value, std::size_t width);
std::string longerThanReaderKeeps(const std::string& field, std::uint64_t bytes, std::size_t most);
std::string doubleQuote(const std::string& field, std::string_view value);
std::string literalStar(const std::string& field, std::string_view value, std::size_t at);
std::string quoteStarRuleLoses(const std::string& field, std::string_view value, int stars, std::size_t at);
std::string yearNotWhole(const std::string& field, std::string_view value);
std::string yearsReversed(int from, int to);
std::string endRecordInside();
std::string guardInWorkbook(const std::string& field, std::string_view value);
std::string formulaCell(std::string_view value);
std::string cellKindRefused(std::string_view kind, std::string_view value);
std::string duplicateVehicleId(std::string_view value, std::uint64_t firstLine);

} // namespace specialty
