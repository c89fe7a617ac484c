// Comma-separated values as spreadsheets write and read them (RFC 4180): fields separated by commas, rows
// by CR LF (a lone LF is taken too), a field in double quotes when it holds a comma, a quote or a line
// break, a quote inside written twice.
#pragma once

#include "catalogue/result.h"
#include "tools/spreadsheet/table_rows.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace specialty {

// One field as CSV text.
std::string csvField(std::string_view text);
// One row as CSV text, ended by CR LF.
std::string csvRow(const std::vector<std::string>& fields);

// Reads CSV rows as the bytes arrive, a chunk at a time, so that memory stays the same whatever the file's
// size. A UTF-8 byte order mark at the start is skipped; empty lines are no rows. Cells beyond
// kMostKeptCells are counted, and a cell's text beyond kMostCellBytes is counted, not kept.
class CsvReader : public TableRows {
  public:
    // `read` fills a buffer and says how many bytes it gave, 0 at the end, or why it could not.
    using Source = std::function<Result<std::size_t>(char*, std::size_t)>;
    explicit CsvReader(Source read);
    // Reads bytes held in memory (they must outlive the reader).
    explicit CsvReader(std::string_view bytes);

    Result<bool> next(TableRow& row) override;
    // The first bytes of the file (up to 4), for telling what kind of text it is.
    std::string_view start() const { return std::string_view(buffer_.data(), startBytes_); }

  private:
    // The next byte, or -1 at the end (a failed read is kept in failure_ and also ends the bytes).
    int peek();
    void advance() { ++at_; }
    bool fill();

    Source read_;
    std::vector<char> buffer_;
    std::size_t at_ = 0;
    std::size_t size_ = 0;
    std::size_t startBytes_ = 0;
    bool started_ = false;
    bool ended_ = false;
    std::optional<Failure> failure_;
    std::uint64_t line_ = 1;
};

} // namespace specialty
