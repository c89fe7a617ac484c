#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include <algorithm>
#include <cstring>

namespace specialty {

namespace {
constexpr std::size_t kChunkBytes = 64 * 1024;
}

void keepCell(TableRow& row, TableCell&& cell) {
    const bool strayKept = !row.cells.empty() && row.cells.back().column >= kMostKeptCells;
    if (cell.column < kMostKeptCells || (cell.bytes > 0 && !strayKept))
        row.cells.push_back(std::move(cell));
    else if (cell.bytes > 0)
        ++row.cellsBeyond;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string csvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i > 0 ? "," : "") + csvField(fields[i]);
    return row + "\r\n";
}

CsvReader::CsvReader(Source read) : read_(std::move(read)), buffer_(kChunkBytes) {}

CsvReader::CsvReader(std::string_view bytes) : buffer_(kChunkBytes) {
    read_ = [bytes](char* into, std::size_t most) mutable -> Result<std::size_t> {
        const std::size_t n = std::min(most, bytes.size());
        std::memcpy(into, bytes.data(), n);
        bytes.remove_prefix(n);
        return n;
    };
}

bool CsvReader::fill() {
    if (ended_) return false;
    at_ = 0;
    size_ = 0;
    Result<std::size_t> got = read_(buffer_.data(), buffer_.size());
    if (!got) failure_ = got.error();
    if (!got || got.value() == 0) {
        ended_ = true;
        return false;
    }
    size_ = got.value();
    return true;
}

int CsvReader::peek() {
    if (at_ >= size_ && !fill()) return -1;
    return static_cast<unsigned char>(buffer_[at_]);
}

Result<bool> CsvReader::next(TableRow& row) {
    if (!started_) {
        started_ = true;
        fill();
        startBytes_ = std::min<std::size_t>(size_, 4);
        if (size_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) at_ = 3;
    }
    for (;;) {
        row.line = line_;
        row.cells.clear();
        row.cellsBeyond = 0;
        row.lastColumn = 0;
        int c = peek();
        if (c < 0) break;
        if (c == '\r' || c == '\n') { // an empty line is no row
            advance();
            if (c == '\r' && peek() == '\n') advance();
            ++line_;
            continue;
        }
        for (;;) { // one cell
            TableCell cell;
            cell.line = line_;
            cell.column = ++row.lastColumn;
            auto add = [&](char byte) {
                if (cell.text.size() < kMostCellBytes) cell.text += byte;
                ++cell.bytes;
            };
            c = peek();
            if (c == '"') {
                advance();
                for (;;) {
                    c = peek();
                    if (c < 0) {
                        if (failure_) return Result<bool>::failure(*failure_);
                        Failure open(SpreadsheetFault::SheetQuoteNeverCloses);
                        open.line = cell.line;
                        open.column = cell.column;
                        return Result<bool>::failure(std::move(open));
                    }
                    advance();
                    if (c == '"') {
                        if (peek() != '"') break;
                        advance();
                    } else if (c == '\n') {
                        ++line_;
                    }
                    add(static_cast<char>(c));
                }
            }
            // Unquoted text, or whatever follows a closing quote before the next separator, is kept as text.
            while ((c = peek()) >= 0 && c != ',' && c != '\r' && c != '\n') {
                add(static_cast<char>(c));
                advance();
            }
            keepCell(row, std::move(cell));
            if (c != ',') break;
            advance();
        }
        if (peek() == '\r') advance();
        if (peek() == '\n') advance();
        ++line_;
        return true;
    }
    if (failure_) return Result<bool>::failure(*failure_);
    return false;
}

} // namespace specialty
