#include "messages.h"

#include "catalogue_record.h"
#include "text_encoding.h"

#include <cstdio>

namespace specialty {

std::string describe(const Failure& failure) {
    std::string text;
    describeTo(text, failure);
    return text;
}

void describeTo(std::string& text, const Failure& failure) {
    failure.fault.family->describeTo(text, failure);
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

std::string holdsFields(std::int64_t fields) {
    return "holds " + counted(fields, "field") + ", not " + std::to_string(kRecordFields);
}

Failure catalogueCannotBeOpened(const std::string& catalogue, const Failure& why) {
    Failure failure(CatalogueFault::CannotBeOpened);
    failure.file = catalogue;
    return causedBy(std::move(failure), why);
}

Failure catalogueCannotBeRead(const std::string& catalogue, const Failure& why) {
    Failure failure(CatalogueFault::CannotBeRead);
    failure.file = catalogue;
    return causedBy(std::move(failure), why);
}

Failure catalogueEndsInRecord(const std::string& catalogue, std::int64_t position, int fieldsRead) {
    Failure failure(CatalogueFault::EndsInRecord);
    failure.file = catalogue;
    failure.record = position;
    failure.count = fieldsRead;
    return failure;
}

Failure catalogueFieldTooLong(const std::string& catalogue, int field, std::int64_t position,
                              std::size_t maxBytes) {
    Failure failure(CatalogueFault::FieldTooLong);
    failure.file = catalogue;
    failure.record = position;
    failure.field = field;
    failure.limit = static_cast<std::int64_t>(maxBytes);
    return failure;
}

Failure selectionYearNotWhole(int which, std::string_view text, std::int64_t position) {
    Failure failure(CatalogueFault::SelectionYearNotWhole);
    failure.field = which;
    failure.value = std::string(text);
    failure.record = position;
    return failure;
}

Failure recordYearNotWhole(int field, std::string_view text, std::int64_t position) {
    Failure failure(CatalogueFault::RecordYearNotWhole);
    failure.field = field;
    failure.value = std::string(text);
    failure.record = position;
    return failure;
}

} // namespace specialty
