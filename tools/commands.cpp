#include "commands.h"

#include "data_folder.h"
#include "messages.h"
#include "part_slots.h"
#include "record_reader.h"
#include "regular_file.h"
#include "spreadsheet/spreadsheet.h"
#include "tool_output.h"
#include "vehicle_search.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace specialty {

namespace {

// The largest CSV file import reads: far beyond any catalogue, short of exhausting memory.
constexpr std::size_t kMaxCsvBytes = 512 * 1024 * 1024;

bool exists(const std::string& folder, const std::string& code, std::string_view suffix) {
    const auto path = partFilePath(folder, code, suffix);
    return path && isRegularFile(*path);
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

void printFound(const ToolOptions& options, const SearchResult& result) {
    const CatalogueRecord& r = result.record;
    if (options.json) {
        QJsonObject record;
        for (int f = 1; f <= kRecordFields; ++f)
            record[QString::fromStdString(fieldName(f))] = jsonText(r.field(f));
        QJsonArray slotList;
        for (const PartSlot& slot : kPartSlots) {
            const std::string code = slot.partCode ? r.partCode(slot.partCode) : std::string();
            slotList.append(QJsonObject{
                {"slot", slot.number},
                {"group", QString::fromLatin1(slot.group)},
                {"partCode", jsonText(code)},
                {"picture", !code.empty() && exists(options.dataFolder, code, kPictureSuffix)},
                {"description", !code.empty() && exists(options.dataFolder, code, kDescriptionSuffix)}});
        }
        writeJson({{"outcome", "found"},
                   {"number", static_cast<double>(result.position + 1)},
                   {"record", record},
                   {"slots", slotList}});
        return;
    }
    std::string text = "Record " + std::to_string(result.position + 1) + ":\n";
    for (int f = 1; f <= kRecordFields; ++f)
        text += "  " + padded(fieldName(f), 11) + " " + shown(r.field(f)) + "\n";
    text += "Slots:\n";
    for (const PartSlot& slot : kPartSlots) {
        const std::string code = slot.partCode ? r.partCode(slot.partCode) : std::string();
        std::string number = std::to_string(slot.number);
        text += "  " + std::string(2 - number.size(), ' ') + number + "  " + padded(slot.group, 13) + " ";
        if (code.empty()) {
            text += "-\n";
            continue;
        }
        text += padded(shown(code), 12) + " picture " +
                (exists(options.dataFolder, code, kPictureSuffix) ? "yes" : "MISSING") + ", description " +
                (exists(options.dataFolder, code, kDescriptionSuffix) ? "yes" : "MISSING") + "\n";
    }
    writeOut(text);
}

// "PartCode1 AC1001, PartCode6 TL2001": the record's part codes that are not empty, in field order.
std::string partCodesText(const CatalogueRecord& r) {
    std::string text;
    for (int n = 1; n <= kPartCodes; ++n)
        if (!r.partCode(n).empty())
            text += (text.empty() ? "" : ", ") + fieldName(kPartCode1 + n - 1) + " " + quoted(r.partCode(n));
    return text;
}

// A failure that ends a command: in JSON one document on standard output, otherwise a line on standard
// error. Returns the exit status.
int failed(const ToolOptions& options, const std::string& message) {
    if (options.json)
        writeJson({{"outcome", "failed"}, {"message", jsonPath(message)}});
    else
        std::fprintf(stderr, "%s\n", message.c_str());
    return kExitError;
}

} // namespace

int findCommand(const ToolOptions& options, const std::string& selection,
                std::optional<std::int64_t> position) {
    const SearchResult result =
        position ? recordAt(*position, options.dataFolder) : findVehicle(selection, options.dataFolder);
    if (result.found()) {
        printFound(options, result);
        return kExitFine;
    }
    if (result.failed()) return failed(options, result.reason);
    if (options.json)
        writeJson({{"outcome", "not found"}, {"message", kNoMatchMessage}});
    else
        writeOut(std::string(kNoMatchMessage) + "\n");
    return kExitProblems;
}

int listCommand(const ToolOptions& options, bool codes) {
    const std::string path = options.dataFolder + std::string(kCatalogueName);
    RecordReader file;
    if (Status opened = file.open(path); !opened)
        return failed(options, catalogueCannotBeOpened(path, opened.reason()));
    // In JSON the records stream out first; the outcome follows them.
    if (options.json) writeOut("{\"records\":[");
    RawRecord raw;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        if (file.readRecord(raw) != RecordReader::Read::Record) {
            const std::string message = "The catalogue " + path + " cannot be read past " +
                                        recordNumbered(position - 1) + ": it is damaged or cut short.";
            if (options.json)
                writeOut("]," + jsonMembers({{"outcome", "failed"}, {"message", jsonPath(message)}}) + "}\n");
            else
                std::fprintf(stderr, "%s\n", message.c_str());
            return kExitError;
        }
        const CatalogueRecord r = decodeRecord(raw);
        if (r.VehicleId == "0") break;
        int parts = 0;
        for (const std::string& code : r.PartCode)
            parts += code.empty() ? 0 : 1;
        if (options.json) {
            if (position > 0) writeOut(",");
            QJsonObject listed{{"number", static_cast<double>(position + 1)},
                               {"VehicleId", jsonText(r.VehicleId)},
                               {"YearFrom", jsonText(r.YearFrom)},
                               {"YearTo", jsonText(r.YearTo)},
                               {"Make", jsonText(r.Make)},
                               {"Model", jsonText(r.Model)},
                               {"Submodel", jsonText(r.Submodel)},
                               {"parts", parts}};
            if (codes) { // all sixteen, PartCode1 first, empty ones as ""
                QJsonArray partCodes;
                for (const std::string& code : r.PartCode)
                    partCodes.append(jsonText(code));
                listed["partCodes"] = partCodes;
            }
            writeJson(listed);
            continue;
        }
        const std::string number = std::to_string(position + 1);
        writeOut(std::string(number.size() < 6 ? 6 - number.size() : 0, ' ') + number + "  " +
                 padded(shown(r.VehicleId), 8) + " " + shown(r.YearFrom) + "-" + shown(r.YearTo) + "  " +
                 shown(r.Make) + " / " + shown(r.Model) + " / " + shown(r.Submodel) + "  (" +
                 std::to_string(parts) + " parts)\n");
        if (codes && parts > 0) writeOut("        " + partCodesText(r) + "\n");
    }
    if (options.json) writeOut("],\"outcome\":\"listed\"}\n");
    return kExitFine;
}

int exportCommand(const ToolOptions& options, const std::string& output) {
    const std::string catalogue = options.dataFolder + std::string(kCatalogueName);
    Result<std::string> csv = exportCsv(catalogue);
    if (!csv) return failed(options, csv.reason());
    if (!output.empty()) {
        if (Status written = writeFileAtomically(output, csv.value()); !written)
            return failed(options, "The CSV file cannot be written: " + written.reason() + ".");
        if (options.json) writeJson({{"outcome", "exported"}, {"file", jsonPath(output)}});
        return kExitFine;
    }
    if (options.json)
        writeJson({{"outcome", "exported"}, {"csv", QString::fromStdString(csv.value())}});
    else
        writeOut(csv.value());
    return kExitFine;
}

int importCommand(const ToolOptions& options, const std::string& input, const std::string& output) {
    Result<std::string> csv = readWholeFile(input, kMaxCsvBytes);
    if (!csv) return failed(options, "The CSV file " + input + " cannot be read: " + csv.reason() + ".");
    Result<std::string> catalogue = catalogueFromCsv(csv.value());
    if (!catalogue) {
        const std::string message = "Nothing was written: " + input + " " + catalogue.reason() + ".";
        if (options.json)
            writeJson({{"outcome", "refused"}, {"message", jsonPath(message)}});
        else
            std::fprintf(stderr, "%s\n", message.c_str());
        return kExitProblems;
    }
    const std::string target = output.empty() ? options.dataFolder + std::string(kCatalogueName) : output;
    if (Status written = writeFileAtomically(target, catalogue.value()); !written)
        return failed(options, "Nothing was written: " + written.reason() + ".");
    if (options.json)
        writeJson({{"outcome", "imported"}, {"file", jsonPath(target)}});
    else
        writeOut("Wrote " + shown(target) + "\n");
    return kExitFine;
}

int checkCommand(const ToolOptions& options, const PictureProblem& pictureProblem) {
    const std::string path = options.dataFolder + std::string(kCatalogueName);
    // Findings are written as check hands them on, so that none of them is held in memory; in JSON the
    // document therefore begins with them and ends with the outcome.
    if (options.json) writeOut("{\"findings\":[");
    bool first = true;
    std::pair<std::string, std::string> shownFile; // the last file named, and how it is shown
    const CheckReport report = checkCatalogue(options.dataFolder, pictureProblem, [&](const Finding& f) {
        const char* level = f.level == Finding::Level::Error ? "error" : "warning";
        if (options.json) {
            if (!first) writeOut(",");
            writeJson({{"level", level},
                       {"file", jsonPath(f.file)},
                       {"line", f.line > 0 ? QJsonValue(static_cast<double>(f.line)) : QJsonValue()},
                       {"message", jsonPath(f.message)}});
        } else {
            // The compiler's format, which editors jump from: "file:line: error: message"; a finding about
            // the file as a whole has no line.
            if (f.file != shownFile.first) shownFile = {f.file, shown(f.file)};
            const std::string where = f.line > 0 ? ":" + std::to_string(f.line) : std::string();
            writeOut(shownFile.second + where + ": " + level + ": " + f.message + "\n");
        }
        first = false;
    });
    if (!report.failure.empty()) {
        if (options.json)
            writeOut("]," + jsonMembers({{"outcome", "failed"}, {"message", jsonPath(report.failure)}}) +
                     "}\n");
        else
            std::fprintf(stderr, "%s\n", report.failure.c_str());
        return kExitError;
    }
    if (options.json) {
        writeOut("]," +
                 jsonMembers({{"outcome", "checked"},
                              {"catalogue", jsonPath(path)},
                              {"records", static_cast<double>(report.records)},
                              {"errors", report.errors},
                              {"warnings", report.warnings}}) +
                 "}\n");
    } else {
        writeOut(std::to_string(report.errors) + " errors, " + std::to_string(report.warnings) +
                 " warnings in " + shown(path) + " (" + std::to_string(report.records) + " records)\n");
    }
    return report.errors > 0 ? kExitProblems : kExitFine;
}

} // namespace specialty
