#include "tools/spreadsheet/carried_over.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/record_reader.h"

#include <QFile>

namespace specialty {

namespace {

constexpr std::size_t kRecordsNamed = 10;

bool holdsLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Lines of `rest` that hold more than blanks.
std::uint64_t linesWithText(std::string_view rest) {
    std::uint64_t lines = 0;
    bool text = false;
    for (char c : rest) {
        if (c == '\n' || c == '\r') {
            lines += text ? 1 : 0;
            text = false;
        } else if (c != ' ' && c != '\t') {
            text = true;
        }
    }
    return lines + (text ? 1 : 0);
}

std::string capitalPlural(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

Result<NotCarriedOver> notCarriedOver(const std::string& path) {
    // Mapped, not read: the pages come in as the reader passes them, and the file is not copied.
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return Result<NotCarriedOver>::failure(
            fileFault(CatalogueFault::System, path, file.errorString().toStdString()));
    const uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr;
    if (file.size() > 0 && mapped == nullptr)
        return Result<NotCarriedOver>::failure(
            fileFault(CatalogueFault::System, path, file.errorString().toStdString()));
    const std::string_view bytes(reinterpret_cast<const char*>(mapped),
                                 static_cast<std::size_t>(file.size()));
    RecordReader reader;
    reader.openMemory(bytes);
    NotCarriedOver lost;
    RawRecord raw;
    for (std::int64_t position = 1; !reader.atEnd(); ++position) {
        if (reader.readRecord(raw) != RecordReader::Read::Record) return lost; // diff names the damage
        const std::uint64_t first = reader.fieldOffset(1);
        const std::uint64_t last = reader.fieldOffset(kRecordFields);
        if (last > first && holdsLineEnd(bytes.substr(first, last - first))) {
            if (lost.spread.size() < kRecordsNamed) lost.spread.push_back(position);
            ++lost.spreadCount;
        }
        if (raw[kVehicleId] == "0") {
            lost.linesAfterEnd = linesWithText(bytes.substr(reader.fileOffset()));
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
