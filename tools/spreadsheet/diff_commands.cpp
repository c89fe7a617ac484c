// The commands that compare catalogues: diff, and import's look before it writes.
#include "tools/commands.h"
#include "tools/spreadsheet/diff_report.h"
#include "tools/spreadsheet/import_review.h"
#include "tools/tool_output.h"

#include <QJsonArray>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace specialty {

namespace {

// Compares, printing the report; the summary, or a failure already reported.
std::optional<DiffSummary> compared(const ToolOptions& options, const CatalogueSource& before,
                                    const CatalogueSource& after, DiffReport& report) {
    report.begin();
    Result<DiffSummary> summary =
        compareCatalogues(before, after, [&](const RecordChange& change) { report.add(change); });
    report.end();
    if (summary) return summary.value();
    if (options.json)
        writeOut(jsonMembers({{"outcome", "failed"}, {"message", jsonPath(summary.reason())}}) + "}\n");
    else
        std::fprintf(stderr, "%s\n", summary.reason().c_str());
    return std::nullopt;
}

bool missing(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && errno == ENOENT;
}

} // namespace

int diffCommand(const ToolOptions& options, const std::string& before, const std::string& after) {
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

std::optional<int> reviewImport(const ToolOptions& options, const std::string& input,
                                const std::string& target, const std::string& catalogue) {
    if (missing(target)) {
        // Nothing to compare with: every record is new.
        if (options.json)
            writeOut("{\"changes\":null,");
        else
            writeOut(shown(target) + " does not exist yet: every record is new.\n");
    } else {
        DiffReport report(options.json);
        const std::optional<DiffSummary> summary =
            compared(options, {target, {}, {}}, {input, {}, catalogue}, report);
        if (!summary) return kExitError;
        if (options.json)
            writeOut(jsonMembers(DiffReport::summaryMembers(*summary)) + ",");
        else
            writeOut(DiffReport::summaryText(*summary, target, input));
        if (summary->conversions > 0 && !options.acceptConversions) {
            std::string message =
                "Nothing was written: " + input + " changes " + std::to_string(summary->conversions) +
                " cells the way a spreadsheet converts text it takes for a number or a date:";
            QJsonArray cells;
            for (const DiffReport::Conversion& c : report.conversions()) {
                message += "\n  " + c.cell;
                cells.append(c.json);
            }
            if (summary->conversions > static_cast<std::int64_t>(report.conversions().size()))
                message += "\n  and " +
                           std::to_string(summary->conversions -
                                          static_cast<std::int64_t>(report.conversions().size())) +
                           " more";
            message += "\nEdit the catalogue in the workbook that export -o FILE.xlsx writes, whose cells "
                       "stay text, "
                       "or give --accept-conversions to take these changes on purpose.";
            if (options.json)
                endImportJson({{"outcome", "refused"}, {"message", jsonPath(message)}, {"cells", cells}});
            else
                std::fprintf(stderr, "%s\n", message.c_str());
            return kExitProblems;
        }
    }
    if (!options.dryRun) return std::nullopt;
    if (options.json)
        endImportJson({{"outcome", "dry run"}, {"file", jsonPath(target)}});
    else
        writeOut("Dry run: nothing was written to " + shown(target) + ".\n");
    return kExitFine;
}

} // namespace specialty
