#include "record_reader.h"

#include "src/byte_scan.h"
#include "src/catalogue_file.h"

namespace specialty {

RecordReader::RecordReader() : file_(std::make_unique<CatalogueFile>()) {}
RecordReader::~RecordReader() = default;

Status RecordReader::open(const std::string& path) {
    return file_->open(path);
}
void RecordReader::openMemory(std::string_view bytes) {
    file_->openMemory(bytes);
}
void RecordReader::close() {
    file_->close();
}
bool RecordReader::atEnd() {
    return file_->atEnd() && !file_->failed();
}

RecordReader::Read RecordReader::readRecord(RawRecord& raw) {
    return file_->readRecord(raw);
}

int RecordReader::fieldsRead() const {
    return file_->fieldsRead();
}
int RecordReader::overlongField() const {
    return file_->overlongField();
}
std::uint32_t RecordReader::cutFields() const {
    return file_->cutFields();
}
bool RecordReader::failed() const {
    return file_->failed();
}
const Failure& RecordReader::failure() const {
    return file_->failure();
}
std::size_t RecordReader::maxFieldBytes() const {
    return file_->maxFieldBytes();
}
Failure RecordReader::whyNoRecord(Read read, const std::string& catalogue, std::int64_t position) const {
    return file_->whyNoRecord(read, catalogue, position);
}
std::uint64_t RecordReader::fieldOffset(int number) const {
    return file_->fieldOffset(number);
}
std::uint64_t RecordReader::fileOffset() const {
    return file_->fileOffset();
}

void RecordReader::countLines() {
    file_->countLines();
}
std::uint64_t RecordReader::fieldLine(int number) const {
    return file_->fieldLine(number);
}
std::uint64_t RecordReader::lineHere() {
    return file_->lineHere();
}
bool RecordReader::highBytes() const {
    return file_->highBytes();
}

void RecordReader::keepRecordBefore() {
    file_->keepRecordBefore();
}
std::ptrdiff_t RecordReader::moved() const {
    return file_->moved();
}

void follow(RawRecord& raw, std::ptrdiff_t distance) {
    if (distance == 0) return;
    // As addresses: the bytes may have moved to another allocation of the buffer, and no pointer arithmetic
    // may span two allocations.
    for (std::string_view& field : raw.field) {
        const std::uintptr_t moved =
            reinterpret_cast<std::uintptr_t>(field.data()) + static_cast<std::uintptr_t>(distance);
        field = std::string_view(reinterpret_cast<const char*>(moved), // NOLINT(performance-no-int-to-ptr)
                                 field.size());
    }
}

const char* findLineEndIn(const char* p, const char* end) {
    return findLineEnd(p, end);
}

} // namespace specialty
