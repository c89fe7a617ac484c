// Comma-separated values as spreadsheets write and read them (RFC 4180): fields separated by commas, rows
// by CR LF (a lone LF is taken too), a field in double quotes when it holds a comma, a quote or a line
// break, a quote inside written twice.
#pragma once

#include "result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// One field as CSV text.
std::string csvField(std::string_view text);
// One row as CSV text, ended by CR LF.
std::string csvRow(const std::vector<std::string>& fields);

struct CsvRow {
    std::vector<std::string> fields;
    std::uint64_t line = 0;                 // where the row begins, from 1
    std::vector<std::uint64_t> columnLines; // where each field begins
};

// Splits CSV text into rows. A UTF-8 byte order mark at the start is skipped; an empty last line is no row.
// A quote that never closes is a failure that names its line.
Result<std::vector<CsvRow>> readCsv(std::string_view text);

} // namespace specialty
