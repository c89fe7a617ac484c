#include "tools/check/damage_start.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/record_reader.h"
#include "tools/check/line_counter.h"

namespace specialty {

std::optional<DamageStart> whereDamageStarts(const std::string& catalogue) {
    LineCounter lines;
    RecordReader file;
    if (!lines.open(catalogue) || !file.open(catalogue)) return std::nullopt;
    // Lines are closed as the fields move past them; a run of lines begins where the fields read so far
    // stop being a whole number of records, and ends where they are again.
    std::uint64_t line = 0;
    std::int64_t onLine = 0, total = 0;
    std::optional<DamageStart> run;
    auto closeLine = [&] {
        if (onLine == 0) return;
        if (!run && (total + onLine) % kRecordFields != 0) run = DamageStart{line, onLine};
        total += onLine;
        if (total % kRecordFields == 0) run.reset();
        onLine = 0;
    };
    RawRecord raw;
    while (!file.atEnd()) {
        const RecordReader::Read read = file.readRecord(raw);
        if (read == RecordReader::Read::Failed) return std::nullopt;
        // A record with a field longer than the reader keeps is whole all the same: it shifts nothing.
        const int fields = read == RecordReader::Read::CutShort ? file.fieldsRead() : kRecordFields;
        for (int f = 1; f <= fields; ++f) {
            const std::uint64_t at = lines.lineOf(file.fieldOffset(f));
            if (at != line) closeLine();
            line = at;
            ++onLine;
        }
        if (read == RecordReader::Read::CutShort) {
            if (run) return run;
            // The record that fails starts in step: the damage is on its own lines.
            return DamageStart{lines.lineOf(file.fieldOffset(1)), -1};
        }
        if (raw[kVehicleId] == "0" && !(file.cutFields() & fieldBit(kVehicleId)))
            break; // the end record, as the reader takes it
    }
    if (!lines.status()) return std::nullopt; // line numbers past a failed read are not known
    closeLine();
    return run;
}

} // namespace specialty
