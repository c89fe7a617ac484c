#include "catalogue_file.h"

#include "catalogue/messages.h"

namespace specialty {

CatalogueFile::CatalogueFile(std::size_t chunkBytes, SimdKernel kernel)
    : reader_(ListReader::kDefaultMaxItemBytes, chunkBytes, kernel) {}

CatalogueFile::Read CatalogueFile::readRecord(RawRecord& raw) {
    std::array<ItemSpan, kRecordFields>& spans = spans_;
    overlong_ = 0;
    cut_ = 0;
    if (keepBefore_) reader_.holdUnit(); // the unit of the record read last
    // Plain records are split 64 bytes at a time; anything else is read item by item.
    if (reader_.skimItems(kRecordFields, spans.data())) {
        fieldsRead_ = kRecordFields;
        for (std::size_t i = 0; i < spans.size(); ++i)
            raw.field[i] = reader_.text(spans[i]);
        if (reader_.countsLines()) nameLines();
        return Read::Record;
    }
    oneLine_ = false; // the careful reading names each field's line as it goes
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
    // The bytes the fields span as kept (whatever lay between them included); the careful reading named
    // each field's line as it went.
    high_ = false;
    if (reader_.countsLines())
        for (const char* p = raw.field.front().data(); p < raw.field.back().data() + raw.field.back().size();
             ++p)
            high_ = high_ || static_cast<unsigned char>(*p) >= 0x80;
    return cut_ != 0 ? Read::TooLong : Read::Record;
}

// The lines of the fields of a record split by the quick look, which lies whole in the buffer. Most
// records lie on one line: no line end is counted from the first field's start to the last field's end.
// Otherwise the lines are counted again from the first field, field by field.
void CatalogueFile::nameLines() {
    firstLine_ = reader_.lineOf(spans_[0]);
    reader_.clearHigh();
    const LineTally atFirst = reader_.lineTally();
    high_ = reader_.highThrough(spans_[kRecordFields - 1]);
    const char* const unit = reader_.unitBytes();
    const char firstByte = unit[spans_[0].offset];
    oneLine_ = reader_.lineTally().ends == atFirst.ends && !(atFirst.crLast && firstByte == '\n');
    if (oneLine_) return;
    LineTally recount = atFirst;
    spans_[0].line = firstLine_;
    for (std::size_t f = 1; f < spans_.size(); ++f) {
        recount.count(unit + spans_[f - 1].offset, unit + spans_[f].offset);
        spans_[f].line = recount.line(unit[spans_[f].offset]);
    }
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
