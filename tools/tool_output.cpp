#include "tool_output.h"
#include "tools/output_fault.h"

#include "catalogue/messages.h"
#include "catalogue/text_encoding.h"
#include "commands.h"

#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace specialty {

std::string shown(std::string_view codePage) {
    return printableForMessage(codePage, std::numeric_limits<std::size_t>::max());
}

QString jsonText(std::string_view codePage) {
    return QString::fromStdString(windows1252ToUtf8(codePage));
}

QString jsonPath(std::string_view local) {
    return QString::fromStdString(localToUtf8(local));
}

QJsonObject vehicleJson(const CatalogueRecord& record) {
    return {{"VehicleId", jsonText(record.VehicleId)}, {"YearFrom", jsonText(record.YearFrom)},
            {"YearTo", jsonText(record.YearTo)},       {"Make", jsonText(record.Make)},
            {"Model", jsonText(record.Model)},         {"Submodel", jsonText(record.Submodel)}};
}

std::string jsonMembers(const QJsonObject& object) {
    const QByteArray whole = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return whole.mid(1, whole.size() - 2).toStdString();
}

void writeOut(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void writeJson(const QJsonObject& object, std::string_view after) {
    writeOut(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
    writeOut(after);
}

namespace {

// Flushes standard output; when that fails, says so on standard error with the fault `fault`, whose
// `count` is `status`, and returns false.
bool flushed(OutputFault fault, int status) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    Failure failure(fault);
    failure.why = errno != 0 ? std::strerror(errno) : "write error";
    failure.count = status;
    std::fprintf(stderr, "specialty-catalogue: %s\n", describe(failure).c_str());
    return false;
}

} // namespace

int finishOutput(int status) {
    return flushed(OutputFault::StandardOutput, status) ? status : kExitError;
}

int finishOutputAfterWriting(int status) {
    flushed(OutputFault::StandardOutputAfterFile, status);
    return status;
}

} // namespace specialty
