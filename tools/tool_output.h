// The tool's standard output: text for people, or JSON, and a last word on whether all of it was written.
#pragma once

#include "catalogue/catalogue_record.h"

#include <QJsonObject>

#include <string>
#include <string_view>

namespace specialty {

// Code-page text for the text output: UTF-8, with control characters written visibly (\x1B, \x00), so that
// catalogue bytes can neither cut the output short nor steer the terminal.
std::string shown(std::string_view codePage);
// Code-page text as a JSON string value.
QString jsonText(std::string_view codePage);
// A path, a file name or a message that may quote them (bytes in the locale's encoding) as a JSON
// string value.
QString jsonPath(std::string_view local);

// A record's vehicle as JSON members: VehicleId, YearFrom, YearTo, Make, Model, Submodel.
QJsonObject vehicleJson(const CatalogueRecord& record);

// An object's members as compact JSON without the braces, for documents written piece by piece.
std::string jsonMembers(const QJsonObject& object);

void writeOut(std::string_view text);
void writeJson(const QJsonObject& object, std::string_view after = "\n");

// Flushes standard output. Returns `status` when everything reached it; otherwise says so on standard
// error and returns the exit status of an I/O error.
int finishOutput(int status);
// For a command whose product is a file it wrote: flushes standard output and says on standard error when
// that fails, but returns `status`, which tells how the writing of the file went.
int finishOutputAfterWriting(int status);

} // namespace specialty
