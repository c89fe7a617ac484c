#include "tools/uses/uses_command.h"

#include "catalogue/data_folder.h"
#include "catalogue/messages.h"
#include "catalogue/part_slots.h"
#include "catalogue/regular_file.h"
#include "tools/tool_output.h"
#include "tools/uses/catalogue_walk.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace specialty {

namespace {

struct PartFile {
    std::string name;    // the file name, in the file system's encoding; empty when the code names no file
    bool exists = false; // an ordinary file of that name is in the data folder
};

PartFile partFile(const std::string& folder, const std::string& code, std::string_view suffix) {
    const Result<std::string> path = partFilePath(folder, code, suffix);
    if (!path) return {};
    return {path->substr(folder.size()), isRegularFile(*path)};
}

std::string fileState(const PartFile& file, const char* what) {
    if (file.name.empty()) return std::string(what) + " none (the code is not a plain file name)";
    return std::string(what) + " " + shown(file.name) + (file.exists ? " yes" : " MISSING");
}

QJsonValue fileJson(const PartFile& file) {
    if (file.name.empty()) return QJsonValue();
    return QJsonObject{{"file", jsonPath(file.name)}, {"exists", file.exists}};
}

std::string groupsText(const std::vector<int>& held) {
    std::string text;
    for (int slot : held)
        text += (text.empty() ? "" : ", ") + std::string(partSlot(slot).group) + " (slot " +
                std::to_string(slot) + ")";
    return text;
}

} // namespace

std::vector<int> slotsHolding(const CatalogueRecord& record, const std::string& code) {
    std::vector<int> held;
    for (const PartSlot& slot : kPartSlots)
        if (slot.partCode != 0 && record.partCode(slot.partCode) == code) held.push_back(slot.number);
    return held;
}

int usesCommand(const ToolOptions& options, const std::string& code) {
    const std::string path = options.dataFolder + std::string(kCatalogueName);
    const PartFile picture = partFile(options.dataFolder, code, kPictureSuffix);
    const PartFile description = partFile(options.dataFolder, code, kDescriptionSuffix);
    // Records stream out as they are found, so that a part used by every record costs no memory.
    if (options.json)
        writeOut("{" +
                 jsonMembers({{"partCode", jsonText(code)},
                              {"picture", fileJson(picture)},
                              {"description", fileJson(description)}}) +
                 ",\"records\":[");
    else
        writeOut("Part code " + quoted(code) + ": " + fileState(picture, "picture") + ", " +
                 fileState(description, "description") + "\n");
    std::int64_t users = 0;
    const Status walked = walkCatalogue(path, [&](const WalkedRecord& w) {
        const std::vector<int> held = slotsHolding(w.record, code);
        if (held.empty()) return;
        const CatalogueRecord& r = w.record;
        if (options.json) {
            QJsonArray slotList;
            for (int slot : held)
                slotList.append(QJsonObject{
                    {"slot", slot},
                    {"group", QString::fromLatin1(partSlot(slot).group)},
                    {"field", QString::fromStdString(fieldName(kPartCode1 + partSlot(slot).partCode - 1))}});
            if (users > 0) writeOut(",");
            QJsonObject user = vehicleJson(r);
            user["number"] = static_cast<double>(w.number);
            user["line"] = static_cast<double>(w.line);
            user["slots"] = slotList;
            writeJson(user, "");
        } else {
            writeOut("  record " + std::to_string(w.number) + ", line " + std::to_string(w.line) + ": (" +
                     shown(r.VehicleId) + ") " + shown(r.YearFrom) + "-" + shown(r.YearTo) + " " +
                     shown(r.Make) + " / " + shown(r.Model) + " / " + shown(r.Submodel) + ": " +
                     groupsText(held) + "\n");
        }
        ++users;
    });
    if (!walked) {
        if (options.json)
            writeOut("]," + jsonMembers({{"outcome", "failed"}, {"message", jsonPath(walked.reason())}}) +
                     "}\n");
        else
            std::fprintf(stderr, "%s\n", walked.reason().c_str());
        return kExitError;
    }
    const std::string outcome = users > 0 ? "used" : "not used";
    if (options.json) {
        writeOut("]," +
                 jsonMembers(
                     {{"outcome", QString::fromStdString(outcome)}, {"count", static_cast<double>(users)}}) +
                 "}\n");
    } else if (users == 0) {
        writeOut("No record uses " + quoted(code) + ".\n");
    } else {
        writeOut(std::to_string(users) + (users == 1 ? " record uses " : " records use ") + quoted(code) +
                 ".\n");
    }
    return users > 0 ? kExitFine : kExitProblems;
}

} // namespace specialty
