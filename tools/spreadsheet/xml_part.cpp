#include "tools/spreadsheet/xml_part.h"

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

Failure partFault(Fault fault, const QString& part, std::uint64_t limit) {
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
    if (unzLocateFile(zip, name.toStdString().c_str(), 1 /* case sensitive */) != UNZ_OK)
        return Status::failure(partFault(Fault::WorkbookPartMissing, name));
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return Status::failure(partFault(Fault::WorkbookEntryUnreadable, name));
    if (info.uncompressed_size > most_)
        return Status::failure(partFault(Fault::WorkbookPartTooLarge, name, most_));
    if (const int error = unzOpenCurrentFile(zip); error != UNZ_OK) {
        Failure failure = partFault(Fault::WorkbookPartCannotInflate, name);
        failure.count = error;
        return Status::failure(std::move(failure));
    }
    zip_ = zip;
    xml_.setEntityExpansionLimit(0);
    return Done{};
}

Result<bool> XmlPart::next() {
    using R = Result<bool>;
    for (;;) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            return R::failure(partFault(Fault::WorkbookDeclaresEntities, name_));
        if (token == QXmlStreamReader::EndDocument) return false;
        if (token != QXmlStreamReader::Invalid) return true;
        if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            Failure broken = partFault(Fault::WorkbookXmlBroken, name_);
            broken.why = xml_.errorString().toStdString();
            return R::failure(std::move(broken));
        }
        char chunk[kChunkBytes];
        const qint64 got = zip_ == nullptr ? -1 : unzReadCurrentFile(zip_, chunk, kChunkBytes);
        if (got < 0) return R::failure(partFault(Fault::WorkbookPartCannotInflate, name_));
        if (got == 0) return R::failure(partFault(Fault::WorkbookXmlEndsEarly, name_));
        read_ += static_cast<std::uint64_t>(got);
        if (read_ > most_) return R::failure(partFault(Fault::WorkbookPartTooLarge, name_, most_));
        for (qint64 i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (afterTag_ && (c == '!' || (c == '?' && tags_ > 1)))
                return R::failure(partFault(Fault::WorkbookHoldsComment, name_));
            afterTag_ = c == '<';
            tags_ += afterTag_;
            sinceTag_ = afterTag_ ? 0 : sinceTag_ + 1;
            if (sinceTag_ > kMostBytesBetweenTags)
                return R::failure(partFault(Fault::WorkbookTokenTooLarge, name_, kMostBytesBetweenTags));
        }
        xml_.addData(QByteArray(chunk, static_cast<int>(got)));
    }
}

} // namespace specialty
