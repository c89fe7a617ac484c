#include "commands.h"

#include "catalogue_file.h"
#include "data_folder.h"
#include "json_text.h"
#include "part_slots.h"
#include "regular_file.h"
#include "text_encoding.h"
#include "vehicle_search.h"

#include <cstdio>

namespace specialty {

namespace {

constexpr const char* kNoMatch = "No vehicle ID Match found.";

std::string utf8(std::string_view codePage) {
    return windows1252ToUtf8(codePage);
}
std::string json(std::string_view codePage) {
    return jsonString(utf8(codePage));
}

bool exists(const std::string& folder, const std::string& code, std::string_view suffix) {
    const auto path = partFilePath(folder, code, suffix);
    return path && isRegularFile(*path);
}

void printFound(const ToolOptions& options, const SearchResult& result) {
    const CatalogueRecord& r = result.record;
    if (options.json) {
        std::printf("{\"outcome\": \"found\", \"position\": %lld, \"record\": {",
                    static_cast<long long>(result.position));
        for (int f = 1; f <= kRecordFields; ++f)
            std::printf("%s%s: %s", f > 1 ? ", " : "", jsonString(fieldName(f)).c_str(),
                        json(r.field(f)).c_str());
        std::printf("}, \"slots\": [");
        for (const PartSlot& slot : kPartSlots) {
            const std::string code = slot.partCode ? r.partCode(slot.partCode) : std::string();
            std::printf(
                "%s{\"slot\": %d, \"group\": %s, \"partCode\": %s, \"picture\": %s, \"description\": %s}",
                slot.number > 1 ? ", " : "", slot.number, jsonString(slot.group).c_str(), json(code).c_str(),
                !code.empty() && exists(options.dataFolder, code, kPictureSuffix) ? "true" : "false",
                !code.empty() && exists(options.dataFolder, code, kDescriptionSuffix) ? "true" : "false");
        }
        std::printf("]}\n");
        return;
    }
    std::printf("The record at position %lld:\n", static_cast<long long>(result.position));
    for (int f = 1; f <= kRecordFields; ++f)
        std::printf("  %-11s %s\n", fieldName(f).c_str(), utf8(r.field(f)).c_str());
    std::printf("Slots:\n");
    for (const PartSlot& slot : kPartSlots) {
        const std::string code = slot.partCode ? r.partCode(slot.partCode) : std::string();
        if (code.empty()) {
            std::printf("  %2d  %-13s -\n", slot.number, slot.group);
            continue;
        }
        std::printf("  %2d  %-13s %-12s picture %s, description %s\n", slot.number, slot.group,
                    utf8(code).c_str(), exists(options.dataFolder, code, kPictureSuffix) ? "yes" : "MISSING",
                    exists(options.dataFolder, code, kDescriptionSuffix) ? "yes" : "MISSING");
    }
}

} // namespace

int findCommand(const ToolOptions& options, const std::string& selection, std::int32_t demoIndex) {
    const SearchResult result = searchCatalogue(selection, demoIndex, options.dataFolder);
    if (result.found()) {
        printFound(options, result);
        return kExitFine;
    }
    const bool failed = result.failed();
    const std::string message = failed ? result.reason : kNoMatch;
    if (options.json)
        std::printf("{\"outcome\": \"%s\", \"message\": %s}\n", failed ? "failed" : "not found",
                    jsonString(message).c_str());
    else
        std::printf("%s\n", message.c_str());
    return failed ? kExitError : kExitProblems;
}

int listCommand(const ToolOptions& options) {
    const std::string path = options.dataFolder + std::string(kCatalogueName);
    CatalogueFile file;
    std::string why;
    if (!file.open(path, why)) {
        std::fprintf(stderr, "The catalogue %s cannot be opened: %s.\n", path.c_str(), why.c_str());
        return kExitError;
    }
    if (options.json) std::printf("[");
    RawRecord raw;
    int status = kExitFine;
    for (std::int64_t position = 0; !file.atEnd(); ++position) {
        if (file.readRecord(raw) != CatalogueFile::Read::Record) {
            std::fprintf(stderr, "The catalogue cannot be read past the record at position %lld.\n",
                         static_cast<long long>(position));
            status = kExitProblems;
            break;
        }
        const CatalogueRecord r = decodeRecord(raw);
        if (r.VehicleId == "0") break;
        int parts = 0;
        for (const std::string& code : r.PartCode)
            parts += code.empty() ? 0 : 1;
        if (options.json)
            std::printf(
                "%s\n{\"position\": %lld, \"VehicleId\": %s, \"YearFrom\": %s, \"YearTo\": %s, \"Make\": %s, "
                "\"Model\": %s, \"Submodel\": %s, \"parts\": %d}",
                position > 0 ? "," : "", static_cast<long long>(position), json(r.VehicleId).c_str(),
                json(r.YearFrom).c_str(), json(r.YearTo).c_str(), json(r.Make).c_str(), json(r.Model).c_str(),
                json(r.Submodel).c_str(), parts);
        else
            std::printf("%6lld  %-8s %s-%s  %s / %s / %s  (%d parts)\n", static_cast<long long>(position),
                        utf8(r.VehicleId).c_str(), utf8(r.YearFrom).c_str(), utf8(r.YearTo).c_str(),
                        utf8(r.Make).c_str(), utf8(r.Model).c_str(), utf8(r.Submodel).c_str(), parts);
    }
    if (options.json) std::printf("\n]\n");
    return status;
}

int checkCommand(const ToolOptions& options, const PictureDecodes& decodes) {
    const CheckReport report = checkCatalogue(options.dataFolder, decodes);
    if (!report.failure.empty()) {
        if (options.json)
            std::printf("{\"failure\": %s}\n", jsonString(report.failure).c_str());
        else
            std::fprintf(stderr, "%s\n", report.failure.c_str());
        return kExitError;
    }
    const std::string path = options.dataFolder + std::string(kCatalogueName);
    if (options.json)
        std::printf(
            "{\"catalogue\": %s, \"records\": %lld, \"errors\": %d, \"warnings\": %d, \"findings\": [",
            jsonString(path).c_str(), static_cast<long long>(report.records), report.errors, report.warnings);
    bool first = true;
    for (const Finding& f : report.findings) {
        const char* level = f.level == Finding::Level::Error ? "error" : "warning";
        if (options.json)
            std::printf("%s\n{\"level\": \"%s\", \"file\": %s, \"line\": %llu, \"message\": %s}",
                        first ? "" : ",", level, jsonString(f.file).c_str(),
                        static_cast<unsigned long long>(f.line), jsonString(f.message).c_str());
        else
            std::printf("%s %s:%llu: %s\n", level, f.file.c_str(), static_cast<unsigned long long>(f.line),
                        f.message.c_str());
        first = false;
    }
    if (options.json)
        std::printf("\n]}\n");
    else
        std::printf("%d errors, %d warnings in %s (%lld records)\n", report.errors, report.warnings,
                    path.c_str(), static_cast<long long>(report.records));
    return report.errors > 0 ? kExitProblems : kExitFine;
}

} // namespace specialty
