#include "uses/catalogue_walk.h"

#include "check/line_counter.h"
#include "messages.h"
#include "record_reader.h"

namespace specialty {

namespace {

// A reader's failure about the record that starts on `line` (0: not known).
Failure onLine(const Failure& failure, std::uint64_t line) {
    Failure where(Fault::CatalogueRecordOnLine);
    where.line = line;
    return causedBy(std::move(where), failure);
}
// The same for a reader's failure that is still worded where it arises, until it is a Failure of its own.
Failure onLine(std::string failure, std::uint64_t line) {
    Failure worded;
    worded.why = std::move(failure);
    return onLine(worded, line);
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
        switch (read) {
        case RecordReader::Read::Record:
            break;
        case RecordReader::Read::CutShort:
            return Status::failure(
                onLine(describe(catalogueEndsInRecord(path, position, file.fieldsRead())), line));
        case RecordReader::Read::TooLong:
            return Status::failure(onLine(
                describe(catalogueFieldTooLong(path, file.overlongField(), position, file.maxFieldBytes())),
                line));
        case RecordReader::Read::Failed:
            return Status::failure(catalogueCannotBeRead(path, file.failure()));
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
