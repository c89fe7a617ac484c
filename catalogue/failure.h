// How an operation failed: one fault of the table below and the details its text names (which file,
// where in it, which record, field and value). Every layer reports failures this way; describe() in
// messages.h is the one place that words them for the user.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace specialty {

// The faults, grouped by family in blocks of a hundred; each family's texts are made in one file of the
// formatter (catalogue/src/messages_*.cpp). The comment of each fault names the details it uses.
enum class Fault : std::uint16_t {
    // Files and the system.
    Unworded = 0, // not yet given a fault of its own: `why` holds the whole text
    System = 1,   // the system refused: `why` holds its own reason

    // The catalogue, its records and the data folder.
    CatalogueCannotBeOpened = 100, // file, cause
    CatalogueCannotBeRead = 101,   // file, cause

    // Pictures.
    PictureNotDecodedFormat = 200,  // expected: the formats that are decoded
    PictureHasTooManyScans = 201,   // count: its scans, limit: the most a picture may have
    PictureGivesNoSize = 202,       // why: the image reader's own reason
    PictureScansTakeTooLong = 203,  // value: its size as "WIDTH x HEIGHT", count: its scans
    PictureDoesNotFitMemory = 204,  // value: its size as "WIDTH x HEIGHT", limit: the bytes left for it
    PictureDoesNotDecode = 205,     // cause, or why: the image reader's own reason
    PictureTimeIsUp = 206,          // -
    PictureOutOfMemory = 207,       // -
    PictureDecodesOnlyPartly = 208, // why: the decoder's warnings, one a line

    // The checker's findings.

    // Spreadsheets: import and export.

    // Files the tools write.
};

struct Failure {
    explicit Failure(Fault of = Fault::Unworded) : fault(of) {}

    Fault fault;
    std::string file;       // the file at fault, as the user named it; empty: none
    std::uint64_t line = 0; // where in the file, from 1; 0: not known
    std::uint64_t column = 0;
    std::int64_t record = -1;             // which record, by its position from 0; -1: none
    int field = 0;                        // which field of the record, from 1; 0: none
    std::string value;                    // the value at fault, as the file holds it
    std::string expected;                 // what the text says was expected instead
    std::int64_t count = 0;               // a number the text names: fields read, scans, bytes
    std::int64_t limit = 0;               // the bound that `count` passed
    std::string why;                      // the system's own reason, where it gave one
    std::shared_ptr<const Failure> cause; // the failure below this one, which its text goes on to name
};

// `failure` with `cause` as the failure below it.
inline Failure causedBy(Failure failure, Failure cause) {
    failure.cause = std::make_shared<const Failure>(std::move(cause));
    return failure;
}

} // namespace specialty
