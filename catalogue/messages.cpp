#include "messages.h"

#include "catalogue_record.h"
#include "src/fault_texts.h"
#include "text_encoding.h"

#include <cstdio>

namespace specialty {

std::string describe(const Failure& failure) {
    std::string text;
    describeTo(text, failure);
    return text;
}

void describeTo(std::string& text, const Failure& failure) {
    switch (static_cast<int>(failure.fault) / 100) {
    case 0:
        text += describeFileFault(failure);
        return;
    case 1:
        text += describeCatalogueFault(failure);
        return;
    case 2:
        text += describePictureFault(failure);
        return;
    case 3: // check's findings, which come by the million: each piece goes straight into `text`
        describeCheckFinding(failure, text);
        return;
    case 4:
        text += describeSpreadsheetFault(failure);
        return;
    case 5:
        text += describeOutputFault(failure);
        return;
    default:
        text += failure.why;
    }
}

std::string causeOf(const Failure& failure) {
    return failure.cause ? describe(*failure.cause) : failure.why;
}

std::string quoted(std::string_view codePage) {
    return "\"" + printableForMessage(codePage) + "\"";
}

std::string quotedUtf8(std::string_view text) {
    std::string shown;
    for (char c : localToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return "\"" + shown + "\"";
}

std::string recordNumbered(std::int64_t position) {
    return "record " + std::to_string(position + 1);
}

std::string counted(std::int64_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

Failure damageBeginsAt(const Failure& failure, std::uint64_t line, std::int64_t fields) {
    Failure damage(Fault::CatalogueDamageBegins);
    damage.line = line;
    damage.count = fields;
    return causedBy(std::move(damage), failure);
}

Failure catalogueCannotBeOpened(const std::string& catalogue, const Failure& why) {
    Failure failure(Fault::CatalogueCannotBeOpened);
    failure.file = catalogue;
    return causedBy(std::move(failure), why);
}

Failure catalogueCannotBeRead(const std::string& catalogue, const Failure& why) {
    Failure failure(Fault::CatalogueCannotBeRead);
    failure.file = catalogue;
    return causedBy(std::move(failure), why);
}

Failure catalogueEndsInRecord(const std::string& catalogue, std::int64_t position, int fieldsRead) {
    Failure failure(Fault::CatalogueEndsInRecord);
    failure.file = catalogue;
    failure.record = position;
    failure.count = fieldsRead;
    return failure;
}

Failure catalogueFieldTooLong(const std::string& catalogue, int field, std::int64_t position,
                              std::size_t maxBytes) {
    Failure failure(Fault::CatalogueFieldTooLong);
    failure.file = catalogue;
    failure.record = position;
    failure.field = field;
    failure.limit = static_cast<std::int64_t>(maxBytes);
    return failure;
}

Failure selectionYearNotWhole(int which, std::string_view text, std::int64_t position) {
    Failure failure(Fault::SelectionYearNotWhole);
    failure.field = which;
    failure.value = std::string(text);
    failure.record = position;
    return failure;
}

Failure recordYearNotWhole(int field, std::string_view text, std::int64_t position) {
    Failure failure(Fault::RecordYearNotWhole);
    failure.field = field;
    failure.value = std::string(text);
    failure.record = position;
    return failure;
}

} // namespace specialty
