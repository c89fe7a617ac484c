// The commands that compare catalogues: diff, and import's look before it writes.
#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"
#include "tools/spreadsheet/carried_over.h"
#include "tools/spreadsheet/diff_report.h"
#include "tools/spreadsheet/import_review.h"
#include "tools/spreadsheet/part_code_notes.h"
#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/spreadsheet_commands.h"
#include "tools/spreadsheet/spreadsheet_fault.h"
#include "tools/tool_output.h"

#include <QJsonArray>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace specialty {

namespace {

// Compares, printing the report; the summary, or a failure already reported.
// `also`, when given, sees each change too.
std::optional<DiffSummary> compared(const ToolOptions& options, const CatalogueSource& before,
                                    const CatalogueSource& after, DiffReport& report,
                                    const std::function<void(const RecordChange&)>& also = {}) {
    report.begin();
    Result<DiffSummary> summary = compareCatalogues(before, after, [&](const RecordChange& change) {
        report.add(change);
        if (also) also(change);
    });
    report.end();
    if (summary) return summary.value();
    if (options.json)
        writeOut(jsonMembers({{"outcome", "failed"}, {"message", jsonPath(summary.reason())}}) + "}\n");
    else
        std::fprintf(stderr, "%s\n", summary.reason().c_str());
    return std::nullopt;
}

// Whether the file begins as a zip container does, as a workbook under another name would.
bool startsAsZip(const std::string& path) {
    char magic[4] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    const bool zip = std::fread(magic, 1, 4, file) == 4 && std::string_view(magic, 4) == "PK\x03\x04";
    std::fclose(file);
    return zip;
}

bool missing(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && errno == ENOENT;
}

} // namespace

int diffCommand(const ToolOptions& options, const std::string& before, const std::string& after) {
    for (const std::string& file : {before, after})
        if (namesWorkbook(file) || startsAsZip(file))
            return commandFailed(options, describe(fileFault(SpreadsheetFault::DiffGivenWorkbook, file)));
    DiffReport report(options.json);
    const std::optional<DiffSummary> summary = compared(options, {before, {}, {}}, {after, {}, {}}, report);
    if (!summary) return kExitError;
    if (options.json) {
        QJsonObject members = DiffReport::summaryMembers(*summary);
        members["outcome"] = summary->identical() ? "identical" : "different";
        members["old"] = jsonPath(before);
        members["new"] = jsonPath(after);
        endImportJson(members);
    } else {
        writeOut(DiffReport::summaryText(*summary, before, after));
    }
    return summary->identical() ? kExitFine : kExitProblems;
}

void endImportJson(const QJsonObject& members) {
    writeOut(jsonMembers(members) + "}\n");
}

namespace {

// What import notes about records it adds or changes beyond the diff: number cells in new records, which
// are refused like conversions, and part codes without files, which are warnings.
class ImportNotes {
  public:
    ImportNotes(const ToolOptions& options, const std::string& input, const NumberCells& numberCells)
        : options_(options), input_(input), numberCells_(numberCells), csv_(!namesWorkbook(input)) {}

    void add(const RecordChange& change) {
        const std::int64_t position = change.number - 1;
        if (change.kind == RecordChange::Kind::Added) {
            addNumberCells(position, change.record);
            if (csv_)
                for (int f = kPartCode1; f < kPartCode1 + kPartCodes; ++f)
                    note(change.record.field(f), f, position);
        } else if (change.kind == RecordChange::Kind::Changed && csv_) {
            for (const FieldChange& field : change.fields)
                if (field.field >= kPartCode1) note(field.after, field.field, position);
        }
    }
    std::int64_t conversions() const { return conversions_; }
    const std::vector<std::string>& conversionLines() const { return conversionLines_; }
    // The warnings, the first of them in full and then "and N more".
    std::vector<std::string> warnings() const {
        std::vector<std::string> all = warnings_;
        if (moreWarnings_ > 0) all.push_back("and " + std::to_string(moreWarnings_) + " more");
        return all;
    }

  private:
    void addNumberCells(std::int64_t position, const CatalogueRecord& record) {
        if (position < 0 || static_cast<std::size_t>(position) >= numberCells_.size()) return;
        const std::uint32_t fields = numberCells_[static_cast<std::size_t>(position)];
        for (int f = 1; f <= kRecordFields; ++f) {
            if ((fields & (1u << (f - 1))) == 0) continue;
            if (conversionLines_.size() < DiffReport::kConversionsKept) {
                Failure number(SpreadsheetFault::CellNumberInNewRecord);
                number.record = position;
                number.field = f;
                number.value = windows1252ToUtf8(record.field(f));
                conversionLines_.push_back(describe(number));
            }
            ++conversions_;
        }
    }
    void note(const std::string& code, int field, std::int64_t position) {
        std::optional<Failure> found = partCodeNote(options_.dataFolder, code, field, position);
        if (!found) return;
        if (warnings_.size() >= kMostWarnings) {
            ++moreWarnings_;
            return;
        }
        found->value = windows1252ToUtf8(found->value);
        warnings_.push_back(input_ + ": warning: " + describe(*found));
    }

    static constexpr std::size_t kMostWarnings = 50;
    const ToolOptions& options_;
    const std::string& input_;
    const NumberCells& numberCells_;
    bool csv_;
    std::int64_t conversions_ = 0;
    std::vector<std::string> conversionLines_;
    std::vector<std::string> warnings_;
    std::uint64_t moreWarnings_ = 0;
};

// Refuses the conversions found: `cells` are the first of `count`.
int refuseConversions(const ToolOptions& options, const std::string& input, std::int64_t count,
                      const std::vector<std::pair<std::string, QJsonObject>>& cells) {
    std::string message = "Nothing was written: " + input + " changes " + std::to_string(count) +
                          " cells the way a spreadsheet converts text it takes for a number or a date:";
    QJsonArray list;
    for (const auto& [text, json] : cells) {
        message += "\n  " + text;
        list.append(json);
    }
    if (count > static_cast<std::int64_t>(cells.size()))
        message += "\n  and " + std::to_string(count - static_cast<std::int64_t>(cells.size())) + " more";
    message += "\nEdit the catalogue in the workbook that export -o FILE.xlsx writes, whose cells "
               "stay text, "
               "or give --accept-conversions to take these changes on purpose.";
    if (options.json)
        endImportJson({{"outcome", "refused"}, {"message", jsonPath(message)}, {"cells", list}});
    else
        std::fprintf(stderr, "%s\n", message.c_str());
    return kExitProblems;
}

} // namespace

std::optional<int> reviewImport(const ToolOptions& options, const std::string& input,
                                const std::string& target, const std::string& catalogue,
                                const NumberCells& numberCells, std::vector<std::string>* warnings) {
    ImportNotes notes(options, input, numberCells);
    std::vector<std::pair<std::string, QJsonObject>> cells;
    std::int64_t conversions = 0;
    bool unchanged = false; // no record changes, and the file loses nothing when written again
    if (missing(target)) {
        // Nothing to compare with: every record is new.
        if (options.json)
            writeOut("{\"changes\":null,");
        else
            writeOut(shown(target) + " does not exist yet: every record is new.\n");
        const std::string nothing = "0" + std::string(kRecordFields - 1, ',') + "\r\n"; // the end record
        const Result<DiffSummary> all =
            compareCatalogues({target, nothing, {}}, {input, {}, catalogue},
                              [&](const RecordChange& change) { notes.add(change); });
        if (!all) {
            std::fprintf(stderr, "%s\n", all.reason().c_str());
            return kExitError;
        }
    } else {
        DiffReport report(options.json);
        const std::optional<DiffSummary> summary =
            compared(options, {target, {}, {}}, {input, {}, catalogue}, report,
                     [&](const RecordChange& change) { notes.add(change); });
        if (!summary) return kExitError;
        Result<NotCarriedOver> lost = notCarriedOver(target);
        if (!lost) lost = NotCarriedOver{};
        if (options.json) {
            QJsonObject members = DiffReport::summaryMembers(*summary);
            members["linesAfterEnd"] = static_cast<double>(lost.value().linesAfterEnd);
            members["recordsJoined"] = static_cast<double>(lost.value().spreadCount);
            writeOut(jsonMembers(members) + ",");
        } else {
            writeOut(DiffReport::summaryText(*summary, target, input) + notCarriedOverText(lost.value()));
        }
        unchanged = summary->identical() && !lost.value().any();
        conversions = summary->conversions;
        for (const DiffReport::Conversion& c : report.conversions())
            cells.emplace_back(c.cell, c.json);
    }
    for (const std::string& line : notes.conversionLines())
        if (cells.size() < DiffReport::kConversionsKept)
            cells.emplace_back(line, QJsonObject{{"message", jsonPath(line)}});
    conversions += notes.conversions();
    const std::vector<std::string> noted = notes.warnings();
    if (warnings != nullptr) warnings->insert(warnings->end(), noted.begin(), noted.end());
    if (!options.json)
        for (const std::string& warning : noted)
            std::fprintf(stderr, "%s\n", warning.c_str());
    if (conversions > 0 && !options.acceptConversions)
        return refuseConversions(options, input, conversions, cells);
    if (!options.dryRun && unchanged) {
        if (options.json)
            endImportJson({{"outcome", "unchanged"}, {"file", jsonPath(target)}});
        else
            writeOut("Nothing changes: nothing was written to " + shown(target) + ".\n");
        return kExitFine;
    }
    if (!options.dryRun) return std::nullopt;
    if (options.json)
        endImportJson({{"outcome", "dry run"}, {"file", jsonPath(target)}});
    else
        writeOut("Dry run: nothing was written to " + shown(target) + ".\n");
    return kExitFine;
}

} // namespace specialty
