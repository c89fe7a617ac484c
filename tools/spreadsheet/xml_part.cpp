#include "spreadsheet/xml_part.h"

#include "spreadsheet/spreadsheet_messages.h"

#include <unzip.h>

namespace specialty {

namespace {
constexpr unsigned kChunkBytes = 64 * 1024;
// The most bytes from one "<" to the next: a cell's text the catalogue can hold, written with character
// references, stays far below it. The XML reader keeps a token whole, so without this bound one text of
// 500 MB would cost gigabytes. Comments, CDATA sections and processing instructions, which may hold "<",
// are refused (spreadsheets write none), so every token lies between two "<".
constexpr std::uint64_t kMostBytesBetweenTags = 1024 * 1024;
} // namespace

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
    const std::string part = name.toStdString();
    if (unzLocateFile(zip, part.c_str(), 1 /* case sensitive */) != UNZ_OK)
        return Status::failure(workbookDamaged(part, "the part is missing"));
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return Status::failure(workbookDamaged(part, "its entry cannot be read"));
    if (info.uncompressed_size > most_) return Status::failure(workbookTooLarge(part, "bytes", most_));
    if (const int error = unzOpenCurrentFile(zip); error != UNZ_OK)
        return Status::failure(
            workbookDamaged(part, "it cannot be inflated (error " + std::to_string(error) + ")"));
    zip_ = zip;
    xml_.setEntityExpansionLimit(0);
    return Done{};
}

Result<bool> XmlPart::next() {
    const std::string part = name_.toStdString();
    for (;;) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            return Result<bool>::failure(workbookDamaged(part, "it declares a document type or entities"));
        if (token == QXmlStreamReader::EndDocument) return false;
        if (token != QXmlStreamReader::Invalid) return true;
        if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            return Result<bool>::failure(workbookDamaged(part, xml_.errorString().toStdString()));
        char chunk[kChunkBytes];
        const qint64 got = zip_ == nullptr ? -1 : unzReadCurrentFile(zip_, chunk, kChunkBytes);
        if (got < 0) return Result<bool>::failure(workbookDamaged(part, "it cannot be inflated"));
        if (got == 0) return Result<bool>::failure(workbookDamaged(part, "the XML ends early"));
        read_ += static_cast<std::uint64_t>(got);
        if (read_ > most_) return Result<bool>::failure(workbookTooLarge(part, "bytes", most_));
        for (qint64 i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (afterTag_ && (c == '!' || (c == '?' && tags_ > 1)))
                return Result<bool>::failure(workbookDamaged(
                    part, "it holds a comment, a CDATA section, a document type or an instruction"));
            afterTag_ = c == '<';
            tags_ += afterTag_;
            sinceTag_ = afterTag_ ? 0 : sinceTag_ + 1;
            if (sinceTag_ > kMostBytesBetweenTags)
                return Result<bool>::failure(
                    workbookTooLarge(part, "bytes in one text or tag", kMostBytesBetweenTags));
        }
        xml_.addData(QByteArray(chunk, static_cast<int>(got)));
    }
}

} // namespace specialty
