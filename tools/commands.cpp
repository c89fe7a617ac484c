#include "commands.h"
#include "tools/listing_fault.h"
#include "tools/output_fault.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "catalogue/part_slots.h"
#include "catalogue/record_reader.h"
#include "catalogue/regular_file.h"
#include "catalogue/vehicle_search.h"
#include "check/damage_start.h"
#include "check/text_writer.h"
#include "tool_output.h"
#include "tools/spreadsheet/spreadsheet_texts.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace specialty {

namespace {

bool exists(const std::string& folder, const std::string& code, std::string_view suffix) {
    const auto path = partFilePath(folder, code, suffix);
    return path && isRegularFile(*path);
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

// Shown in place of a SpareField longer than the reader keeps, of which only the beginning is at hand.
std::string spareFieldNote() {
    Failure note(ListingFault::SpareFieldNotKept);
    note.limit = static_cast<std::int64_t>(RecordReader().maxFieldBytes());
    return describe(note);
}

void printFound(const ToolOptions& options, const FoundRecord& result) {
    const CatalogueRecord& r = result.record;
    if (options.json) {
        QJsonObject record;
        for (int f = 1; f <= kRecordFields; ++f)
            record[QString::fromStdString(fieldName(f))] = jsonText(r.field(f));
        if (result.spareFieldCut) record[QString::fromStdString(fieldName(kSpareField))] = QJsonValue();
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
        text += "  " + padded(fieldName(f), 11) + " " +
                (f == kSpareField && result.spareFieldCut ? spareFieldNote() : shown(r.field(f))) + "\n";
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

// A reader's failure, with the line where the damage behind it begins when the catalogue is damaged.
Failure withDamageLine(const std::string& catalogue, const Failure& failure) {
    if (const std::optional<DamageStart> damage = whereDamageStarts(catalogue))
        return damageBeginsAt(failure, damage->line, damage->fields);
    return failure;
}

// "PartCode1 AC1001, PartCode6 TL2001": the record's part codes that are not empty, in field order.
std::string partCodesText(const CatalogueRecord& r) {
    std::string text;
    for (int n = 1; n <= kPartCodes; ++n)
        if (!r.partCode(n).empty())
            text += (text.empty() ? "" : ", ") + fieldName(kPartCode1 + n - 1) + " " +
                    specialty::quoted(r.partCode(n));
    return text;
}

} // namespace

int commandFailed(const ToolOptions& options, const std::string& message) {
    if (options.json)
        writeJson({{"outcome", "failed"}, {"message", jsonPath(message)}});
    else
        std::fprintf(stderr, "%s\n", message.c_str());
    return kExitError;
}

int findCommand(const ToolOptions& options, const std::string& selection,
                std::optional<std::int64_t> position) {
    const Lookup result =
        position ? recordAt(*position, options.dataFolder) : findVehicle(selection, options.dataFolder);
    if (!result)
        return commandFailed(options, describe(withDamageLine(
                                          options.dataFolder + std::string(kCatalogueName), result.error())));
    if (*result) {
        printFound(options, **result);
        return kExitFine;
    }
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
        return commandFailed(options, describe(catalogueCannotBeOpened(path, opened.error())));
    // In JSON the records stream out first; the outcome follows them.
    if (options.json) writeOut("{\"records\":[");
    RawRecord raw;
    int exitStatus = kExitFine;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        const RecordReader::Read read = file.readRecord(raw);
        // A record cut in a field the viewer shows is listed by the words a demo step would show for it;
        // a long SpareField, never shown, changes nothing.
        if (const int shownCut =
                read == RecordReader::Read::TooLong ? firstField(file.cutFields() & kShownFields) : 0) {
            const std::string message =
                describe(catalogueFieldTooLong(path, shownCut, position, file.maxFieldBytes()));
            if (options.json) {
                if (position > 0) writeOut(",");
                writeJson({{"number", static_cast<double>(position + 1)}, {"message", jsonPath(message)}});
            } else {
                std::fprintf(stderr, "%s\n", message.c_str());
            }
            exitStatus = kExitProblems;
            continue;
        }
        if (read != RecordReader::Read::Record && read != RecordReader::Read::TooLong) {
            // Worded as find words the same damage, and naming the line where it begins.
            const Failure why = file.whyNoRecord(read, path, position);
            const std::string message =
                describe(read == RecordReader::Read::Failed ? why : withDamageLine(path, why));
            if (options.json)
                writeOut("]," + jsonMembers({{"outcome", "failed"}, {"message", jsonPath(message)}}) + "}\n");
            else
                std::fprintf(stderr, "%s\n", message.c_str());
            return kExitError;
        }
        const CatalogueRecord r = decodeRecord(raw);
        if (r.VehicleId == "0") break;
        int parts = 0;
        for (const std::string& code : r.PartCodes)
            parts += code.empty() ? 0 : 1;
        if (options.json) {
            if (position > 0) writeOut(",");
            QJsonObject listed = vehicleJson(r);
            listed["number"] = static_cast<double>(position + 1);
            listed["parts"] = parts;
            if (codes) { // all sixteen, PartCode1 first, empty ones as ""
                QJsonArray partCodes;
                for (const std::string& code : r.PartCodes)
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
                 counted(parts, "part") + ")\n");
        if (codes && parts > 0) writeOut("        " + partCodesText(r) + "\n");
    }
    if (options.json) writeOut("],\"outcome\":\"listed\"}\n");
    return exitStatus;
}

int checkCommand(const ToolOptions& options, const PictureCheck& showsWhole) {
    const std::string path = options.dataFolder + std::string(kCatalogueName);
    // Findings are written as check hands them on, so that none of them is held in memory; in JSON the
    // document therefore begins with them and ends with the outcome.
    if (options.json) writeOut("{\"findings\":[");
    bool first = true;
    std::pair<std::string, std::string> shownFile; // the last file named, and how it is shown
    constexpr std::size_t kTextBytes = 64 * 1024;  // the findings' text goes out in pieces of about this
    std::string text;
    text.reserve(kTextBytes + 4096);
    TextWriter out(text);
    const CheckReport report = checkCatalogue(options.dataFolder, showsWhole, [&](const Finding& f) {
        const char* level = levelName(f.level);
        if (options.json) {
            if (!first) writeOut(",");
            writeJson({{"level", level},
                       {"file", jsonPath(f.file)},
                       {"line", f.line > 0 ? QJsonValue(static_cast<double>(f.line)) : QJsonValue()},
                       {"message", jsonPath(f.message())}});
        } else {
            // The compiler's format, which editors jump from: "file:line: error: message"; a finding about
            // the file as a whole has no line.
            if (f.file != shownFile.first) shownFile = {f.file, shown(f.file)};
            putFinding(out, shownFile.second, f.line, f.level, f.what);
            out.put('\n');
            if (out.size() >= kTextBytes) {
                writeOut(out.flushed());
                text.clear();
            }
        }
        first = false;
    });
    writeOut(out.flushed());
    if (report.failure) {
        const std::string message = describe(*report.failure);
        if (options.json)
            writeOut("]," + jsonMembers({{"outcome", "failed"}, {"message", jsonPath(message)}}) + "}\n");
        else
            std::fprintf(stderr, "%s\n", message.c_str());
        return kExitError;
    }
    const std::string unjudged = report.unjudged ? describe(*report.unjudged) : std::string();
    if (options.json) {
        writeOut("]," +
                 jsonMembers({{"outcome", "checked"},
                              {"catalogue", jsonPath(path)},
                              {"records", static_cast<double>(report.records)},
                              {"errors", report.errors},
                              {"warnings", report.warnings},
                              {"unjudged", QString::fromStdString(unjudged)}}) +
                 "}\n");
    } else {
        writeOut(counted(report.errors, "error") + ", " + counted(report.warnings, "warning") + " in " +
                 shown(path) + " (" + counted(report.records, "record") + ")" +
                 (unjudged.empty() ? std::string() : "; " + unjudged) + "\n");
    }
    return report.errors > 0 ? kExitProblems : kExitFine;
}

} // namespace specialty
