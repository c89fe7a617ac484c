#include "tools/spreadsheet/carried_over.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/record_reader.h"
#include "catalogue/regular_file.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace specialty {

namespace {

constexpr std::size_t kRecordsNamed = 10;

bool holdsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Lines that hold more than blanks, counted over text handed in pieces.
class LinesWithText {
  public:
    void add(std::string_view piece) {
        for (char c : piece) {
            if (c == '\n' || c == '\r') {
                lines_ += text_ ? 1 : 0;
                text_ = false;
            } else if (c != ' ' && c != '\t') {
                text_ = true;
            }
        }
    }
    std::uint64_t count() const { return lines_ + (text_ ? 1 : 0); }

  private:
    std::uint64_t lines_ = 0;
    bool text_ = false;
};

// A file's bytes read once from its start, a buffer at a time, to look at ranges of it in rising order: the
// file is neither held nor mapped whole, so memory stays bounded whatever its size.
class ByteCursor {
  public:
    Status open(const std::string& path) { return file_.open(path); }
    // Hands the bytes of [from, to) to `look` piece by piece, up to the end of the file; `from` lies at or
    // after the end of the range asked for before. False when the file cannot be read.
    bool range(std::uint64_t from, std::uint64_t to, const std::function<void(std::string_view)>& look) {
        while (from < to) {
            if (from >= start_ + filled_) {
                if (ended_) return true;
                start_ += filled_;
                Result<std::size_t> got = file_.read(buffer_.data(), buffer_.size());
                if (!got) return false;
                filled_ = got.value();
                ended_ = filled_ == 0;
                continue;
            }
            if (from < start_) return false; // behind the buffer: not a rising order
            const auto at = static_cast<std::size_t>(from - start_);
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(filled_ - at, to - from));
            look(std::string_view(buffer_.data() + at, n));
            from += n;
        }
        return true;
    }

  private:
    RegularFile file_;
    std::vector<char> buffer_ = std::vector<char>(256 * 1024);
    std::uint64_t start_ = 0; // where the buffer's bytes begin in the file
    std::size_t filled_ = 0;
    bool ended_ = false;
};

std::string capitalPlural(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

Result<NotCarriedOver> notCarriedOver(const std::string& path) {
    // Read as a stream twice over: records by the reader, and the bytes between their fields by a cursor.
    RecordReader reader;
    ByteCursor bytes;
    if (Status opened = reader.open(path); !opened) return Result<NotCarriedOver>::failure(opened.error());
    if (Status opened = bytes.open(path); !opened) return Result<NotCarriedOver>::failure(opened.error());
    NotCarriedOver lost;
    RawRecord raw;
    for (std::int64_t position = 1; !reader.atEnd(); ++position) {
        if (reader.readRecord(raw) != RecordReader::Read::Record) return lost; // diff names the damage
        bool spread = false;
        if (!bytes.range(reader.fieldOffset(1), reader.fieldOffset(kRecordFields),
                         [&](std::string_view piece) { spread = spread || holdsLineEnd(piece); }))
            return lost;
        if (spread) {
            if (lost.spread.size() < kRecordsNamed) lost.spread.push_back(position);
            ++lost.spreadCount;
        }
        if (raw[kVehicleId] == "0") {
            LinesWithText after;
            if (!bytes.range(reader.fileOffset(), UINT64_MAX,
                             [&](std::string_view piece) { after.add(piece); }))
                return lost;
            lost.linesAfterEnd = after.count();
            break;
        }
    }
    return lost;
}

std::string notCarriedOverText(const NotCarriedOver& lost) {
    std::string text;
    if (lost.linesAfterEnd > 0)
        text += capitalPlural(lost.linesAfterEnd, "line after the end record is",
                              "lines after the end record are") +
                " not carried over.\n";
    if (lost.spreadCount > 0) {
        std::string numbers;
        for (std::int64_t n : lost.spread)
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
        if (lost.spreadCount > lost.spread.size())
            numbers += " and " + std::to_string(lost.spreadCount - lost.spread.size()) + " more";
        text += (lost.spreadCount == 1 ? "Record " + numbers + ", spread over more than one line, is"
                                       : "Records " + numbers + ", spread over more than one line, are") +
                " written on one line.\n";
    }
    return text;
}

} // namespace specialty
