#include "tools/spreadsheet/xml_part.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include <unzip.h>

namespace specialty {

namespace {
constexpr unsigned kChunkBytes = 64 * 1024;
// The most bytes from one "<" to the next: a cell's text the catalogue can hold, written with character
// references, stays far below it. The XML reader keeps a token whole, so without this bound one text of
// 500 MB would cost gigabytes. Comments, CDATA sections and processing instructions, which may hold "<",
// are refused (spreadsheets write none), so every token lies between two "<".
constexpr std::uint64_t kMostBytesBetweenTags = 1024 * 1024;
// A tag: its name and attributes. Spreadsheets write a few attributes a tag (a root element's namespaces
// are the most), each short; the reader checks every attribute against every other.
constexpr std::uint64_t kMostTagBytes = 64 * 1024;
constexpr std::uint64_t kMostAttributes = 256;
// Elements inside each other: a worksheet nests a dozen deep; the reader keeps every open element.
constexpr std::uint64_t kMostDepth = 256;
// What a part may inflate to: this many times its bytes in the container, and a few megabytes more for
// small parts. Worksheets compress to a tenth or so; a part of millions of empty tags inflates a thousand
// times, and the reading's time grows with what is inflated, not with the file.
constexpr std::uint64_t kMostInflation = 100;
constexpr std::uint64_t kInflationAllowance = 8 * 1024 * 1024;
} // namespace

Failure partFault(SpreadsheetFault fault, const QString& part, std::uint64_t limit) {
    Failure failure(fault);
    failure.value = part.toStdString();
    failure.limit = static_cast<std::int64_t>(limit);
    return failure;
}

XmlPart::XmlPart() = default;
XmlPart::~XmlPart() {
    close();
}

void XmlPart::close() {
    if (zip_ != nullptr) unzCloseCurrentFile(zip_);
    zip_ = nullptr;
}

Status XmlPart::open(void* zip, const QString& name, std::uint64_t mostBytes) {
    close();
    name_ = name;
    most_ = mostBytes;
    read_ = 0;
    depth_ = 0;
    scan_ = Scan{};
    xml_.clear();
    if (unzLocateFile(zip, name.toStdString().c_str(), 1 /* case sensitive */) != UNZ_OK)
        return Status::failure(partFault(SpreadsheetFault::WorkbookPartMissing, name));
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return Status::failure(partFault(SpreadsheetFault::WorkbookEntryUnreadable, name));
    if (info.uncompressed_size > most_)
        return Status::failure(partFault(SpreadsheetFault::WorkbookPartTooLarge, name, most_));
    stored_ = info.compressed_size;
    if (const int error = unzOpenCurrentFile(zip); error != UNZ_OK) {
        Failure failure = partFault(SpreadsheetFault::WorkbookPartCannotInflate, name);
        failure.count = error;
        return Status::failure(std::move(failure));
    }
    zip_ = zip;
    xml_.setEntityExpansionLimit(0);
    return Done{};
}

Result<bool> XmlPart::fail(SpreadsheetFault fault, std::uint64_t limit) const {
    return Result<bool>::failure(partFault(fault, name_, limit));
}

Result<bool> XmlPart::next() {
    using R = Result<bool>;
    for (;;) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            return fail(SpreadsheetFault::WorkbookDeclaresEntities);
        if (token == QXmlStreamReader::StartDocument && !xml_.documentEncoding().isEmpty() &&
            xml_.documentEncoding().compare(u"UTF-8", Qt::CaseInsensitive) != 0)
            return fail(SpreadsheetFault::WorkbookNotUtf8);
        if (token == QXmlStreamReader::StartElement && ++depth_ > kMostDepth)
            return fail(SpreadsheetFault::WorkbookTooDeep, kMostDepth);
        if (token == QXmlStreamReader::EndElement) --depth_;
        if (token == QXmlStreamReader::EndDocument) return finish();
        if (token != QXmlStreamReader::Invalid) return true;
        if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            Failure broken = partFault(SpreadsheetFault::WorkbookXmlBroken, name_);
            broken.why = xml_.errorString().toStdString();
            return R::failure(std::move(broken));
        }
        char chunk[kChunkBytes];
        const int got = zip_ == nullptr ? -1 : unzReadCurrentFile(zip_, chunk, kChunkBytes);
        if (got < 0) return fail(SpreadsheetFault::WorkbookPartCannotInflate);
        if (got == 0) return fail(SpreadsheetFault::WorkbookXmlEndsEarly);
        if (Result<bool> fine = look(chunk, static_cast<std::size_t>(got)); !fine) return fine;
        xml_.addData(QByteArray(chunk, got));
    }
}

Result<bool> XmlPart::look(const char* bytes, std::size_t size) {
    if (read_ == 0 && size >= 2 && (bytes[0] == '\xFE' || bytes[0] == '\xFF')) // a UTF-16 byte order mark
        return fail(SpreadsheetFault::WorkbookNotUtf8);
    read_ += size;
    if (read_ > most_) return fail(SpreadsheetFault::WorkbookPartTooLarge, most_);
    if (read_ > kInflationAllowance && read_ / kMostInflation > stored_)
        return fail(SpreadsheetFault::WorkbookInflatesTooMuch, kMostInflation);
    Scan& s = scan_;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c == '\0')
            return fail(SpreadsheetFault::WorkbookNotUtf8); // UTF-16 or UTF-32: no UTF-8 text holds it
        if (s.afterTag && (c == '!' || (c == '?' && s.tags > 1)))
            return fail(SpreadsheetFault::WorkbookHoldsComment);
        s.afterTag = c == '<' && s.quote == 0;
        if (s.afterTag) {
            ++s.tags;
            s.sinceTag = 0;
            s.inTag = true;
            s.attributes = 0;
            continue;
        }
        if (++s.sinceTag > kMostBytesBetweenTags)
            return fail(SpreadsheetFault::WorkbookTokenTooLarge, kMostBytesBetweenTags);
        if (!s.inTag) continue;
        if (s.sinceTag > kMostTagBytes) return fail(SpreadsheetFault::WorkbookTagTooLarge, kMostTagBytes);
        if (s.quote != 0) {
            if (c == s.quote) s.quote = 0;
        } else if (c == '"' || c == '\'') {
            s.quote = c;
        } else if (c == '=' && ++s.attributes > kMostAttributes) {
            return fail(SpreadsheetFault::WorkbookTooManyAttributes, kMostAttributes);
        } else if (c == '>') {
            s.inTag = false;
        }
    }
    return true;
}

Result<bool> XmlPart::finish() {
    // The reader stops at the root element's end: what follows is read, so that the checksum covers it.
    char rest[kChunkBytes];
    int got = 0;
    while (zip_ != nullptr && (got = unzReadCurrentFile(zip_, rest, kChunkBytes)) > 0)
        if (Result<bool> fine = look(rest, static_cast<std::size_t>(got)); !fine) return fine;
    if (got < 0) return fail(SpreadsheetFault::WorkbookPartCannotInflate);
    if (zip_ != nullptr) {
        const int closed = unzCloseCurrentFile(zip_);
        zip_ = nullptr;
        if (closed == UNZ_CRCERROR) return fail(SpreadsheetFault::WorkbookEntryDamaged);
        if (closed != UNZ_OK) return fail(SpreadsheetFault::WorkbookPartCannotInflate);
    }
    return false;
}

} // namespace specialty
