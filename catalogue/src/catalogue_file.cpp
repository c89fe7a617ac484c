#include "catalogue_file.h"

#include "catalogue/messages.h"

namespace specialty {

CatalogueFile::CatalogueFile(std::size_t chunkBytes, SimdKernel kernel)
    : reader_(ListReader::kDefaultMaxItemBytes, chunkBytes, kernel) {}

CatalogueFile::Read CatalogueFile::readRecord(RawRecord& raw) {
    std::array<ItemSpan, kRecordFields>& spans = spans_;
    overlong_ = 0;
    cut_ = 0;
    // Plain records are split 64 bytes at a time; anything else is read item by item.
    if (reader_.skimItems(kRecordFields, spans.data())) {
        fieldsRead_ = kRecordFields;
        for (std::size_t i = 0; i < spans.size(); ++i)
            raw.field[i] = reader_.text(spans[i]);
        return Read::Record;
    }
    reader_.beginUnit();
    for (fieldsRead_ = 0; fieldsRead_ < kRecordFields; ++fieldsRead_) {
        ItemSpan& span = spans[static_cast<std::size_t>(fieldsRead_)];
        if (!reader_.readItem(span)) return reader_.failed() ? Read::Failed : Read::CutShort;
        if (span.truncated) cut_ |= fieldBit(fieldsRead_ + 1);
    }
    overlong_ = firstField(cut_);
    // The views are made only now: reading may have moved the record within the reader's buffer. A field
    // cut short keeps its first bytes; the rest of it was passed over without being kept.
    for (std::size_t i = 0; i < spans.size(); ++i)
        raw.field[i] = reader_.text(spans[i]);
    return cut_ != 0 ? Read::TooLong : Read::Record;
}

Failure CatalogueFile::whyNoRecord(Read read, const std::string& catalogue, std::int64_t position) const {
    switch (read) {
    case Read::CutShort:
        return catalogueEndsInRecord(catalogue, position, fieldsRead_);
    case Read::TooLong:
        return catalogueFieldTooLong(catalogue, overlong_, position, maxFieldBytes());
    case Read::Record:
    case Read::Failed:
        break;
    }
    return catalogueCannotBeRead(catalogue, failure());
}

} // namespace specialty
