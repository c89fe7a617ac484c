// The commands of the spreadsheet round trip: export, import, and diff (spreadsheet_commands.h).
#include "tools/spreadsheet/spreadsheet_commands.h"

#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "tools/output_fault.h"
#include "tools/output_file.h"
#include "tools/spreadsheet/import_review.h"
#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/spreadsheet_fault.h"
#include "tools/spreadsheet/spreadsheet_texts.h"
#include "tools/tool_output.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace specialty {

namespace {

// Whether `failure` is the catalogue's own: it cannot be opened or read, or a record is damaged.
bool catalogueAtFault(const Failure& failure) {
    return failure.fault.of<CatalogueFault>() && failure.fault.number / 100 == 1; // not the system's faults
}

Status discardPiece(std::string_view) {
    return Done{};
}

// Export with -o: never over the catalogue it reads, and never replacing what is not an ordinary file.
int exportToFile(const ToolOptions& options, const std::string& catalogue, const std::string& output) {
    const bool workbook = namesWorkbook(output);
    const Failure notWritten(workbook ? OutputFault::WorkbookNotWritten : OutputFault::CsvNotWritten);
    if (sameFile(output, catalogue)) {
        Failure same(OutputFault::IsTheCatalogue);
        same.file = output;
        same.value = catalogue;
        return commandFailed(options, describe(same));
    }
    Result<OutputFile> file = OutputFile::open(output);
    if (!file) {
        // A catalogue that cannot be exported is named before an output that cannot be written.
        if (Status readable = workbook ? Status(Done{}) : exportCsv(catalogue, discardPiece); !readable)
            return commandFailed(options, readable.reason());
        return commandFailed(options, describe(causedBy(notWritten, file.error())));
    }
    // A failure of the writing is told as a file not written; the catalogue's own, as it is.
    bool writeFailed = false;
    Status exported = workbook ? exportWorkbook(catalogue, file.value())
                               : exportCsv(catalogue, [&](std::string_view piece) {
                                     Status written = file.value().write(piece);
                                     writeFailed = !written;
                                     return written;
                                 });
    if (!exported && (workbook ? catalogueAtFault(exported.error()) : !writeFailed))
        return commandFailed(options, exported.reason());
    if (exported) exported = file.value().commit();
    if (!exported) return commandFailed(options, describe(causedBy(notWritten, exported.error())));
    if (options.json) writeJson({{"outcome", "exported"}, {"file", jsonPath(output)}});
    return kExitFine;
}

// Replaces `target` with the content of the file `source` after keeping the file it replaces as
// `previous` (empty when there was none, or when the target is a device written in place).
Status replaceKeepingPrevious(const std::string& target, const std::string& source,
                              Result<std::string>& previous) {
    Result<OutputFile> file = OutputFile::open(target);
    if (!file) return Status::failure(file.error());
    if (file.value().replaces()) {
        previous = keepPreviousVersion(target);
        if (!previous)
            return Status::failure(causedBy(Failure(OutputFault::PreviousNotKept), previous.error()));
    }
    if (Status written = file.value().copyFrom(source); !written) return written;
    return file.value().commit();
}

} // namespace

int exportCommand(const ToolOptions& options, const std::string& output) {
    const std::string catalogue = options.dataFolder + std::string(kCatalogueName);
    if (!output.empty()) return exportToFile(options, catalogue, output);
    if (!options.json) { // the CSV goes out as it is made; a failure after its start ends it there
        if (Status exported = exportCsv(catalogue,
                                        [](std::string_view piece) {
                                            writeOut(piece);
                                            return Status(Done{});
                                        });
            !exported)
            return commandFailed(options, exported.reason());
        return kExitFine;
    }
    Result<std::string> csv = exportCsv(catalogue);
    if (!csv) return commandFailed(options, csv.reason());
    writeJson({{"outcome", "exported"}, {"csv", QString::fromStdString(csv.value())}});
    return kExitFine;
}

int importCommand(const ToolOptions& options, const std::string& input, const std::string& output) {
    if (Status readable = spreadsheetExists(input); !readable)
        return commandFailed(options, describe(readable.error()) + "\n" + kNothingWritten);
    auto notWritten = [&](const Failure& why) {
        return commandFailed(options, describe(causedBy(Failure(OutputFault::NothingWritten), why)));
    };
    // The catalogue is made in a file of its own, not in memory, and copied over the target once reviewed.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return notWritten(fileFault(CatalogueFault::System, {}, scratch.errorString().toStdString()));
    const std::string made = scratch.filePath("catalogue.txt").toStdString();
    std::vector<std::string> warnings;
    NumberCells numberCells;
    if (Status catalogue = catalogueFromSpreadsheet(input, made, &warnings, &numberCells); !catalogue) {
        if (catalogue.error().fault != SpreadsheetFault::SheetRefused) return notWritten(catalogue.error());
        if (options.json)
            writeJson(
                {{"outcome", "refused"}, {"message", jsonPath(catalogue.reason() + "\n" + kNothingWritten)}});
        else
            std::fprintf(stderr, "%s\n%s\n", catalogue.reason().c_str(), kNothingWritten);
        return kExitProblems;
    }
    if (!options.json)
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "%s\n", warning.c_str());
    const std::string target = output.empty() ? options.dataFolder + std::string(kCatalogueName) : output;
    if (const std::optional<int> stop = reviewImport(options, input, target, made, numberCells, &warnings))
        return *stop;
    Result<std::string> previous = std::string();
    if (Status written = replaceKeepingPrevious(target, made, previous); !written) {
        const std::string message = describe(causedBy(Failure(OutputFault::NothingWritten), written.error()));
        if (!options.json) return commandFailed(options, message);
        endImportJson({{"outcome", "failed"}, {"message", jsonPath(message)}}); // after the review's members
        return kExitError;
    }
    if (options.json) {
        QJsonArray warningList;
        for (const std::string& warning : warnings)
            warningList.append(jsonPath(warning));
        endImportJson(
            {{"outcome", "imported"},
             {"file", jsonPath(target)},
             {"previous", previous.value().empty() ? QJsonValue() : QJsonValue(jsonPath(previous.value()))},
             {"warnings", warningList}});
    } else {
        writeOut("Wrote " + shown(target) + "\n" +
                 (previous.value().empty()
                      ? std::string()
                      : "The previous catalogue is kept as " + shown(previous.value()) + "\n"));
    }
    return kExitFine;
}

} // namespace specialty
