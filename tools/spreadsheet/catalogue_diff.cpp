#include "tools/spreadsheet/catalogue_diff.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/messages.h"
#include "catalogue/record_reader.h"
#include "tools/spreadsheet/conversion_guard.h"
#include "tools/spreadsheet/record_alignment.h"

#include <algorithm>
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

Failure changedWhileRead(const std::string& name) {
    Failure changed(SpreadsheetFault::CatalogueChangedWhileCompared);
    changed.file = name;
    return changed;
}

// The first reading: each record's VehicleId.
Result<IdList> vehicleIds(const CatalogueSource& source) {
    RecordStream stream;
    if (Status opened = stream.open(source); !opened) return Result<IdList>::failure(opened.error());
    IdList ids;
    RawRecord raw;
    for (;;) {
        Result<bool> more = stream.next(raw);
        if (!more) return Result<IdList>::failure(more.error());
        if (!more.value()) break;
        if (ids.size() + 1 >= kNoRecord || !ids.add(decodeRecord(raw).VehicleId)) {
            Failure tooMany(SpreadsheetFault::CatalogueTooLargeToCompare);
            tooMany.file = source.name;
            return Result<IdList>::failure(std::move(tooMany));
        }
    }
    return ids;
}

// What a further reading keeps of some records, found by the record's index.
template <typename Kept>
class KeptOfSome {
  public:
    void add(std::uint32_t index, const Kept& kept) { // in rising order of index
        indexes_.push_back(index);
        kept_.push_back(kept);
    }
    const Kept& at(std::uint32_t index) const { // one that was added
        const auto found = std::lower_bound(indexes_.begin(), indexes_.end(), index);
        return kept_[static_cast<std::size_t>(found - indexes_.begin())];
    }

  private:
    std::vector<std::uint32_t> indexes_;
    std::vector<Kept> kept_;
};

// Reads the first `count` records of `source` again, handing those `wanted` says to `keep` with where the
// record begins and ends in the catalogue. A catalogue with fewer records than the first reading found
// changed meanwhile.
Status readAgain(const CatalogueSource& source, std::uint32_t count,
                 const std::function<bool(std::uint32_t)>& wanted,
                 const std::function<void(std::uint32_t, const CatalogueRecord&, std::uint64_t begin,
                                          std::uint64_t end)>& keep) {
    RecordStream stream;
    if (Status opened = stream.open(source); !opened) return opened;
    RawRecord raw;
    std::uint64_t begin = 0;
    for (std::uint32_t index = 0; index < count; ++index) {
        Result<bool> more = stream.next(raw);
        if (!more) return Status::failure(more.error());
        if (!more.value()) return Status::failure(changedWhileRead(source.name));
        if (wanted(index)) keep(index, decodeRecord(raw), begin, stream.offset());
        begin = stream.offset();
    }
    return Done{};
}

// Where an old record stands in its catalogue, and a hash of its fields: kept for the records that moved.
struct MovedRecord {
    std::uint64_t begin;
    std::uint64_t end;
    std::uint64_t content;
};

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

// Old records that moved, read again one by one for the walk in the new order that meets them out of their
// order: a record's bytes, from the end of the record before it to its own end, are read as a catalogue.
class RecordFetcher {
  public:
    explicit RecordFetcher(const CatalogueSource& source) : source_(source) {}

    Result<CatalogueRecord> at(const MovedRecord& moved) {
        std::string_view text;
        if (source_.text) {
            text = source_.text->substr(moved.begin, moved.end - moved.begin);
        } else {
            if (!file_.is_open()) file_.open(source_.read(), std::ios::binary);
            bytes_.resize(moved.end - moved.begin);
            if (!file_.seekg(static_cast<std::streamoff>(moved.begin)) ||
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
    std::ifstream file_;
    std::string bytes_;
    RecordReader reader_; // one for all, since each allocates its buffer
};

// Which old record each new one is: by VehicleId, then records left unpaired between two that stay in
// place by their vehicle's names (read again for just those records) or a VehicleId a spreadsheet converted.
Result<Alignment> paired(const CatalogueSource& before, const CatalogueSource& after, const IdList& olds,
                         const IdList& news) {
    Alignment a = alignByIds(olds, news, numberKey);
    const auto oldCount = static_cast<std::uint32_t>(olds.size());
    const auto newCount = static_cast<std::uint32_t>(news.size());
    auto oldUnpaired = [&](std::uint32_t o) { return !a.oldPaired[o]; };
    auto newUnpaired = [&](std::uint32_t m) { return a.oldOfNew[m] == kNoRecord; };
    if (std::find(a.oldPaired.begin(), a.oldPaired.end(), false) == a.oldPaired.end() ||
        std::find(a.oldOfNew.begin(), a.oldOfNew.end(), kNoRecord) == a.oldOfNew.end())
        return a; // one side has none left to pair
    KeptOfSome<std::uint64_t> oldNames;
    KeptOfSome<std::uint64_t> newNames;
    auto namesInto = [](KeptOfSome<std::uint64_t>& names) {
        return [&names](std::uint32_t i, const CatalogueRecord& record, std::uint64_t, std::uint64_t) {
            names.add(i, hashOf(record, kMake, kSubmodel));
        };
    };
    if (Status read = readAgain(before, oldCount, oldUnpaired, namesInto(oldNames)); !read)
        return Result<Alignment>::failure(read.error());
    if (Status read = readAgain(after, newCount, newUnpaired, namesInto(newNames)); !read)
        return Result<Alignment>::failure(read.error());
    pairBetweenKept(
        oldCount,
        [&](std::uint32_t o, std::uint32_t m) {
            return oldNames.at(o) == newNames.at(m) || spreadsheetConversion(olds[o], news[m]).has_value();
        },
        a);
    return a;
}

// Where each old record that moved stands, and its fields' hash.
Result<KeptOfSome<MovedRecord>> movedRecords(const CatalogueSource& before, std::uint32_t oldCount,
                                             const Alignment& a) {
    std::vector<bool> moved(oldCount, false);
    bool any = false;
    for (std::size_t m = 0; m < a.oldOfNew.size(); ++m)
        if (a.oldOfNew[m] != kNoRecord && !a.inPlace[m]) any = moved[a.oldOfNew[m]] = true;
    KeptOfSome<MovedRecord> kept;
    if (!any) return kept;
    const Status read = readAgain(
        before, oldCount, [&](std::uint32_t o) { return moved[o]; },
        [&](std::uint32_t o, const CatalogueRecord& record, std::uint64_t begin, std::uint64_t end) {
            kept.add(o, {begin, end, hashOf(record, 1, kRecordFields)});
        });
    if (!read) return Result<KeptOfSome<MovedRecord>>::failure(read.error());
    return kept;
}

// The last reading: both catalogues side by side in the new order, each change handed on as it is found.
class ChangeWalk {
  public:
    ChangeWalk(const CatalogueSource& before, const CatalogueSource& after, const Alignment& a,
               const KeptOfSome<MovedRecord>& moved, const std::function<void(const RecordChange&)>& report)
        : before_(before), after_(after), a_(a), moved_(moved), report_(report), fetcher_(before) {}

    Status run(DiffSummary& summary) {
        if (Status opened = oldStream_.open(before_); !opened) return opened;
        if (Status opened = newStream_.open(after_); !opened) return opened;
        for (std::uint32_t m = 0; m < a_.oldOfNew.size(); ++m)
            if (Status stepped = step(m, summary); !stepped) return stepped;
        if (Status read = readOldTo(static_cast<std::uint32_t>(a_.oldPaired.size()), summary); !read)
            return read;
        return noneLeft();
    }

  private:
    // Reads the old records up to `end`, reporting those that no new record is; leaves the last in oldRaw_.
    Status readOldTo(std::uint32_t end, DiffSummary& summary) {
        for (; nextOld_ < end; ++nextOld_) {
            Result<bool> more = oldStream_.next(oldRaw_);
            if (!more) return Status::failure(more.error());
            if (!more.value()) return Status::failure(changedWhileRead(before_.name));
            if (a_.oldPaired[nextOld_]) continue;
            RecordChange removed;
            removed.kind = RecordChange::Kind::Removed;
            removed.number = nextOld_ + 1;
            removed.record = decodeRecord(oldRaw_);
            ++summary.removed;
            report_(removed);
        }
        return Done{};
    }

    // The new record `m`: added, moved, changed, or the same.
    Status step(std::uint32_t m, DiffSummary& summary) {
        Result<bool> more = newStream_.next(newRaw_);
        if (!more) return Status::failure(more.error());
        if (!more.value()) return Status::failure(changedWhileRead(after_.name));
        const std::uint32_t old = a_.oldOfNew[m];
        RecordChange change;
        change.number = m + 1;
        change.numberBefore = old == kNoRecord ? 0 : old + 1;
        change.record = decodeRecord(newRaw_);
        if (old == kNoRecord) {
            change.kind = RecordChange::Kind::Added;
            ++summary.added;
        } else if (a_.inPlace[m]) {
            if (Status read = readOldTo(old + 1, summary); !read) return read;
            change.fields = fieldChanges(decodeRecord(oldRaw_), change.record, summary.conversions);
        } else if (moved_.at(old).content == hashOf(change.record, 1, kRecordFields)) {
            change.kind = RecordChange::Kind::Moved;
            ++summary.moved;
        } else {
            change.moved = true;
            Result<CatalogueRecord> was = fetcher_.at(moved_.at(old));
            if (!was) return Status::failure(was.error());
            change.fields = fieldChanges(was.value(), change.record, summary.conversions);
        }
        if (change.kind == RecordChange::Kind::Changed) {
            if (change.fields.empty()) return Done{};
            ++summary.changed;
        }
        report_(change);
        return Done{};
    }

    // Records found now that the first reading did not find mean that a file grew meanwhile.
    Status noneLeft() {
        for (auto [stream, source] : {std::pair{&oldStream_, &before_}, std::pair{&newStream_, &after_}}) {
            Result<bool> more = stream->next(oldRaw_);
            if (!more) return Status::failure(more.error());
            if (more.value()) return Status::failure(changedWhileRead(source->name));
        }
        return Done{};
    }

    const CatalogueSource& before_;
    const CatalogueSource& after_;
    const Alignment& a_;
    const KeptOfSome<MovedRecord>& moved_;
    const std::function<void(const RecordChange&)>& report_;
    RecordFetcher fetcher_;
    RecordStream oldStream_;
    RecordStream newStream_;
    RawRecord oldRaw_;
    RawRecord newRaw_;
    std::uint32_t nextOld_ = 0;
};

} // namespace

Result<DiffSummary> compareCatalogues(const CatalogueSource& before, const CatalogueSource& after,
                                      const std::function<void(const RecordChange&)>& report) {
    using Failed = Result<DiffSummary>;
    Result<IdList> olds = vehicleIds(before);
    if (!olds) return Failed::failure(olds.error());
    Result<IdList> news = vehicleIds(after);
    if (!news) return Failed::failure(news.error());
    DiffSummary summary;
    summary.oldRecords = static_cast<std::int64_t>(olds.value().size());
    summary.newRecords = static_cast<std::int64_t>(news.value().size());
    Result<Alignment> a = paired(before, after, olds.value(), news.value());
    if (!a) return Failed::failure(a.error());
    olds = IdList(); // the walk needs them no more
    news = IdList();
    const Result<KeptOfSome<MovedRecord>> moved =
        movedRecords(before, static_cast<std::uint32_t>(summary.oldRecords), a.value());
    if (!moved) return Failed::failure(moved.error());
    if (Status walked = ChangeWalk(before, after, a.value(), moved.value(), report).run(summary); !walked)
        return Failed::failure(walked.error());
    return summary;
}

} // namespace specialty
