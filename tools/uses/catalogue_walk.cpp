#include "tools/uses/catalogue_walk.h"
#include "tools/listing_fault.h"

#include "catalogue/messages.h"
#include "catalogue/record_reader.h"
#include "tools/check/line_counter.h"

namespace specialty {

namespace {

// A reader's failure about the record that starts on `line` (0: not known).
Failure onLine(const Failure& failure, std::uint64_t line) {
    Failure where(ListingFault::RecordOnLine);
    where.line = line;
    return causedBy(std::move(where), failure);
}

} // namespace

Status walkCatalogue(const std::string& path, const std::function<void(const WalkedRecord&)>& visit) {
    RecordReader file;
    if (Status opened = file.open(path); !opened)
        return Status::failure(catalogueCannotBeOpened(path, opened.error()));
    LineCounter lines;
    if (Status opened = lines.open(path); !opened)
        return Status::failure(catalogueCannotBeOpened(path, opened.error()));
    RawRecord raw;
    WalkedRecord walked;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        const std::uint64_t start = file.fileOffset();
        const RecordReader::Read read = file.readRecord(raw);
        // The record starts where its first field does; a record cut short starts where reading resumed.
        const std::uint64_t line =
            lines.lineOf(read == RecordReader::Read::Record ? file.fieldOffset(1) : start);
        if (read != RecordReader::Read::Record) {
            const Failure why = file.whyNoRecord(read, path, position);
            return Status::failure(read == RecordReader::Read::Failed ? why : onLine(why, line));
        }
        if (raw[kVehicleId] == "0") break;
        if (Status counted = lines.status(); !counted)
            return Status::failure(catalogueCannotBeRead(path, counted.error()));
        walked.number = position + 1;
        walked.line = line;
        walked.record = decodeRecord(raw);
        visit(walked);
    }
    return Done{};
}

} // namespace specialty
