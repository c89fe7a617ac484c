#include "tools/spreadsheet/diff_report.h"

#include "tools/tool_output.h"

#include <QJsonArray>

namespace specialty {

namespace {

std::string inQuotes(const std::string& codePage) {
    return "\"" + shown(codePage) + "\"";
}

// The vehicle a record names: "Make" / "Model" / "Submodel" YearFrom-YearTo.
std::string vehicleOf(const CatalogueRecord& r) {
    return inQuotes(r.Make) + " / " + inQuotes(r.Model) + " / " + inQuotes(r.Submodel) + " " +
           shown(r.YearFrom) + "-" + shown(r.YearTo);
}

QJsonObject recordJson(const CatalogueRecord& r) {
    QJsonObject record;
    for (int f = 1; f <= kRecordFields; ++f)
        record[QString::fromStdString(fieldName(f))] = jsonText(r.field(f));
    return record;
}

const char* kindName(RecordChange::Kind kind) {
    switch (kind) {
    case RecordChange::Kind::Changed:
        return "changed";
    case RecordChange::Kind::Moved:
        return "moved";
    case RecordChange::Kind::Added:
        return "added";
    case RecordChange::Kind::Removed:
        return "removed";
    }
    return "";
}

// "record 12", with where it stood before when that differs: "record 12 (was record 11)".
std::string numbered(const RecordChange& c) {
    std::string text = "record " + std::to_string(c.number);
    if (c.kind == RecordChange::Kind::Moved || c.moved)
        text += " (moved from record " + std::to_string(c.numberBefore) + ")";
    else if (c.kind == RecordChange::Kind::Changed && c.numberBefore != c.number)
        text += " (was record " + std::to_string(c.numberBefore) + ")";
    return text;
}

} // namespace

void DiffReport::begin() {
    if (json_) writeOut("{\"changes\":[");
}

void DiffReport::end() {
    if (json_) writeOut("],");
}

void DiffReport::add(const RecordChange& c) {
    for (const FieldChange& f : c.fields) {
        if (!f.conversion || conversions_.size() >= kConversionsKept) continue;
        const std::string cell = "record " + std::to_string(c.number) + ", " + fieldName(f.field) + ": " +
                                 inQuotes(f.before) + " became " + inQuotes(f.after) + " (" + *f.conversion +
                                 ")";
        conversions_.push_back({cell, QJsonObject{{"number", static_cast<double>(c.number)},
                                                  {"field", QString::fromStdString(fieldName(f.field))},
                                                  {"old", jsonText(f.before)},
                                                  {"new", jsonText(f.after)},
                                                  {"conversion", QString::fromStdString(*f.conversion)}}});
    }
    if (json_) {
        QJsonObject entry{{"change", kindName(c.kind)}, {"VehicleId", jsonText(c.record.VehicleId)}};
        if (c.kind != RecordChange::Kind::Removed) entry["number"] = static_cast<double>(c.number);
        if (c.kind == RecordChange::Kind::Changed || c.kind == RecordChange::Kind::Moved)
            entry["numberBefore"] = static_cast<double>(c.numberBefore);
        if (c.kind == RecordChange::Kind::Removed) entry["numberBefore"] = static_cast<double>(c.number);
        if (c.kind == RecordChange::Kind::Changed) entry["moved"] = c.moved;
        if (c.kind == RecordChange::Kind::Added || c.kind == RecordChange::Kind::Removed)
            entry["record"] = recordJson(c.record);
        QJsonArray fields;
        for (const FieldChange& f : c.fields) {
            QJsonObject field{{"field", QString::fromStdString(fieldName(f.field))},
                              {"old", jsonText(f.before)},
                              {"new", jsonText(f.after)}};
            if (f.conversion) field["conversion"] = QString::fromStdString(*f.conversion);
            fields.append(field);
        }
        if (c.kind == RecordChange::Kind::Changed) entry["fields"] = fields;
        if (!first_) writeOut(",");
        writeJson(entry, "");
        first_ = false;
        return;
    }
    const std::string id = ", VehicleId " + inQuotes(c.record.VehicleId);
    switch (c.kind) {
    case RecordChange::Kind::Added:
        writeOut("added " + numbered(c) + id + ": " + vehicleOf(c.record) + "\n");
        return;
    case RecordChange::Kind::Removed:
        writeOut("removed old record " + std::to_string(c.number) + id + ": " + vehicleOf(c.record) + "\n");
        return;
    case RecordChange::Kind::Moved:
        writeOut("moved " + numbered(c) + id + "\n");
        return;
    case RecordChange::Kind::Changed:
        break;
    }
    std::string text = "changed " + numbered(c) + id + ":\n";
    for (const FieldChange& f : c.fields) {
        text += "    " + fieldName(f.field) + ": " + inQuotes(f.before) + " -> " + inQuotes(f.after);
        if (f.conversion) text += "  (looks like a spreadsheet's conversion: " + *f.conversion + ")";
        text += "\n";
    }
    writeOut(text);
}

std::string DiffReport::summaryText(const DiffSummary& s, const std::string& before,
                                    const std::string& after) {
    const std::string counts = " (" + shown(before) + ": " + std::to_string(s.oldRecords) + " records, " +
                               shown(after) + ": " + std::to_string(s.newRecords) + " records)";
    if (s.identical()) return "No records differ" + counts + ".\n";
    std::string text = std::to_string(s.changed) + " changed, " + std::to_string(s.added) + " added, " +
                       std::to_string(s.removed) + " removed, " + std::to_string(s.moved) + " moved" + counts;
    if (s.conversions > 0)
        text += "; " + std::to_string(s.conversions) + " changed cells look like a spreadsheet's conversion";
    return text + ".\n";
}

QJsonObject DiffReport::summaryMembers(const DiffSummary& s) {
    return {
        {"oldRecords", static_cast<double>(s.oldRecords)},  {"newRecords", static_cast<double>(s.newRecords)},
        {"changed", static_cast<double>(s.changed)},        {"added", static_cast<double>(s.added)},
        {"removed", static_cast<double>(s.removed)},        {"moved", static_cast<double>(s.moved)},
        {"conversions", static_cast<double>(s.conversions)}};
}

} // namespace specialty
