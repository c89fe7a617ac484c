#include "tools/spreadsheet/catalogue_diff.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/messages.h"
#include "catalogue/record_reader.h"
#include "tools/spreadsheet/conversion_guard.h"
#include "tools/spreadsheet/record_alignment.h"

#include <fstream>

namespace specialty {

namespace {

// The records of one catalogue up to the end record, one after another.
class RecordStream {
  public:
    Status open(const CatalogueSource& source) {
        name_ = source.name;
        position_ = 0;
        if (source.text) {
            reader_.openMemory(*source.text);
            return Done{};
        }
        if (Status opened = reader_.open(source.read()); !opened)
            return Status::failure(catalogueCannotBeOpened(source.name, opened.error()));
        return Done{};
    }

    // True with the next record in `raw`, false at the end record or the end of the file.
    Result<bool> next(RawRecord& raw) {
        if (reader_.atEnd()) return false;
        if (const RecordReader::Read read = reader_.readRecord(raw); read != RecordReader::Read::Record)
            return Result<bool>::failure(reader_.whyNoRecord(read, name_, position_));
        if (raw[kVehicleId] == "0") return false;
        ++position_;
        return true;
    }

    const std::string& name() const { return name_; }
    // Where the record just read ends in the catalogue.
    std::uint64_t offset() const { return reader_.fileOffset(); }

  private:
    RecordReader reader_;
    std::string name_;
    std::int64_t position_ = 0;
};

// FNV-1a over the fields, each followed by its length, so that no two records' fields run together alike.
std::uint64_t hashOf(const CatalogueRecord& r, int firstField, int lastField) {
    std::uint64_t h = 14695981039346656037ull;
    auto mix = [&](unsigned char byte) {
        h ^= byte;
        h *= 1099511628211ull;
    };
    for (int f = firstField; f <= lastField; ++f) {
        const std::string& text = r.field(f);
        for (char c : text)
            mix(static_cast<unsigned char>(c));
        for (std::size_t n = text.size(), i = 0; i < sizeof n; ++i, n >>= 8)
            mix(static_cast<unsigned char>(n & 0xFF));
    }
    return h;
}

// What the first reading keeps of each record.
struct Outline {
    IdList ids;
    std::vector<std::uint64_t> content; // all fields
    std::vector<std::uint64_t> vehicle; // Make, Model, Submodel
    std::vector<std::uint64_t> ends;    // where each record ends in the catalogue, when kept
};

// With `keepEnds` also where each record ends, for reading it again on its own.
Result<Outline> outline(const CatalogueSource& source, bool keepEnds) {
    RecordStream stream;
    if (Status opened = stream.open(source); !opened) return Result<Outline>::failure(opened.error());
    Outline o;
    RawRecord raw;
    for (;;) {
        Result<bool> more = stream.next(raw);
        if (!more) return Result<Outline>::failure(more.error());
        if (!more.value()) break;
        if (o.content.size() + 1 >= kNoRecord) {
            Failure tooMany(SpreadsheetFault::CatalogueTooLargeToCompare);
            tooMany.file = source.name;
            return Result<Outline>::failure(std::move(tooMany));
        }
        const CatalogueRecord record = decodeRecord(raw);
        o.ids.add(record.VehicleId);
        o.content.push_back(hashOf(record, 1, kRecordFields));
        o.vehicle.push_back(hashOf(record, kMake, kSubmodel));
        if (keepEnds) o.ends.push_back(stream.offset());
    }
    return o;
}

std::vector<FieldChange> fieldChanges(const CatalogueRecord& before, const CatalogueRecord& after,
                                      std::int64_t& conversions) {
    std::vector<FieldChange> changes;
    for (int f = 1; f <= kRecordFields; ++f) {
        if (before.field(f) == after.field(f)) continue;
        FieldChange change{f, before.field(f), after.field(f),
                           spreadsheetConversion(before.field(f), after.field(f))};
        conversions += change.conversion ? 1 : 0;
        changes.push_back(std::move(change));
    }
    return changes;
}

Failure changedWhileRead(const std::string& name) {
    Failure changed(SpreadsheetFault::CatalogueChangedWhileCompared);
    changed.file = name;
    return changed;
}

// Old records read again one by one, for the walk in the new order that meets them out of their order:
// a record's bytes, from the end of the record before it to its own end, are read as a catalogue.
class RecordFetcher {
  public:
    RecordFetcher(const CatalogueSource& source, const Outline& outline)
        : source_(source), outline_(outline) {}

    Result<CatalogueRecord> at(std::uint32_t index) {
        const std::uint64_t begin = index == 0 ? 0 : outline_.ends[index - 1];
        const std::uint64_t end = outline_.ends[index];
        std::string_view text;
        if (source_.text) {
            text = source_.text->substr(begin, end - begin);
        } else {
            if (!file_.is_open()) file_.open(source_.read(), std::ios::binary);
            bytes_.resize(end - begin);
            if (!file_.seekg(static_cast<std::streamoff>(begin)) ||
                !file_.read(bytes_.data(), static_cast<std::streamsize>(bytes_.size())))
                return Result<CatalogueRecord>::failure(changedWhileRead(source_.name));
            text = bytes_;
        }
        reader_.openMemory(text);
        RawRecord raw;
        if (reader_.atEnd() || reader_.readRecord(raw) != RecordReader::Read::Record)
            return Result<CatalogueRecord>::failure(changedWhileRead(source_.name));
        return decodeRecord(raw);
    }

  private:
    const CatalogueSource& source_;
    const Outline& outline_;
    std::ifstream file_;
    std::string bytes_;
    RecordReader reader_; // one for all, since each allocates its buffer
};

} // namespace

Result<DiffSummary> compareCatalogues(const CatalogueSource& before, const CatalogueSource& after,
                                      const std::function<void(const RecordChange&)>& report) {
    using Failed = Result<DiffSummary>;
    Result<Outline> olds = outline(before, true);
    if (!olds) return Failed::failure(olds.error());
    Result<Outline> news = outline(after, false);
    if (!news) return Failed::failure(news.error());
    const Outline& o = olds.value();
    const Outline& n = news.value();
    const Alignment a =
        alignRecords(o.ids, n.ids, numberKey, [&](std::uint32_t oldRecord, std::uint32_t newRecord) {
            return o.vehicle[oldRecord] == n.vehicle[newRecord] ||
                   spreadsheetConversion(o.ids[oldRecord], n.ids[newRecord]).has_value();
        });
    DiffSummary summary;
    summary.oldRecords = static_cast<std::int64_t>(o.content.size());
    summary.newRecords = static_cast<std::int64_t>(n.content.size());
    RecordStream oldStream;
    RecordStream newStream;
    if (Status opened = oldStream.open(before); !opened) return Failed::failure(opened.error());
    if (Status opened = newStream.open(after); !opened) return Failed::failure(opened.error());
    RecordFetcher fetcher(before, o);
    RawRecord oldRaw;
    RawRecord newRaw;
    std::uint32_t nextOld = 0;
    // Reads the old records up to `end`, reporting those that no new record is; leaves the last in oldRaw.
    auto readOldTo = [&](std::uint32_t end) -> Status {
        for (; nextOld < end; ++nextOld) {
            Result<bool> more = oldStream.next(oldRaw);
            if (!more) return Status::failure(more.error());
            if (!more.value()) return Status::failure(changedWhileRead(before.name));
            if (a.oldPaired[nextOld]) continue;
            RecordChange removed;
            removed.kind = RecordChange::Kind::Removed;
            removed.number = nextOld + 1;
            removed.record = decodeRecord(oldRaw);
            ++summary.removed;
            report(removed);
        }
        return Done{};
    };
    for (std::uint32_t m = 0; m < a.oldOfNew.size(); ++m) {
        Result<bool> more = newStream.next(newRaw);
        if (!more) return Failed::failure(more.error());
        if (!more.value()) return Failed::failure(changedWhileRead(after.name));
        const std::uint32_t old = a.oldOfNew[m];
        RecordChange change;
        change.number = m + 1;
        change.numberBefore = old == kNoRecord ? 0 : old + 1;
        if (old == kNoRecord) {
            change.kind = RecordChange::Kind::Added;
            change.record = decodeRecord(newRaw);
            ++summary.added;
            report(change);
            continue;
        }
        if (a.inPlace[m]) {
            if (Status read = readOldTo(old + 1); !read) return Failed::failure(read.error());
            change.record = decodeRecord(newRaw);
            change.fields = fieldChanges(decodeRecord(oldRaw), change.record, summary.conversions);
        } else if (o.content[old] == n.content[m]) {
            change.kind = RecordChange::Kind::Moved;
            change.record = decodeRecord(newRaw);
            ++summary.moved;
            report(change);
            continue;
        } else {
            change.moved = true;
            change.record = decodeRecord(newRaw);
            Result<CatalogueRecord> was = fetcher.at(old);
            if (!was) return Failed::failure(was.error());
            change.fields = fieldChanges(was.value(), change.record, summary.conversions);
        }
        if (change.fields.empty()) continue;
        ++summary.changed;
        report(change);
    }
    if (Status read = readOldTo(static_cast<std::uint32_t>(o.content.size())); !read)
        return Failed::failure(read.error());
    // Records found now that the first reading did not find mean that a file grew meanwhile.
    for (auto [stream, source] : {std::pair{&oldStream, &before}, std::pair{&newStream, &after}}) {
        Result<bool> more = stream->next(oldRaw);
        if (!more) return Failed::failure(more.error());
        if (more.value()) return Failed::failure(changedWhileRead(source->name));
    }
    return summary;
}

} // namespace specialty
