// How an operation failed: one fault, of one layer's family, and the details its text names (which file,
// where in it, which record, field and value). Every layer reports failures this way; describe() in
// messages.h is the one place that words them for the user.
//
// Each layer declares its faults as an enum of its own, with a function faultFamily(Enum) beside it that
// returns the family that words them. A Failure made of such an enumerator carries its family along, so
// describe() words a failure of any layer, and its causes, without knowing that layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace specialty {

struct Failure;

// The faults of one layer and their texts: one object per family, defined where its texts are.
class FaultFamily {
  public:
    // The family's name, for diagnostics: "catalogue", "picture".
    virtual const char* name() const = 0;
    // Appends the text of `failure`, a fault of this family, to `text`.
    virtual void describeTo(std::string& text, const Failure& failure) const = 0;

  protected:
    constexpr FaultFamily() = default;
    FaultFamily(const FaultFamily&) = delete;
    FaultFamily& operator=(const FaultFamily&) = delete;
    ~FaultFamily() = default;
};

// A family whose texts one function makes: its name, and the function that words a failure of it.
class WordedFamily final : public FaultFamily {
  public:
    using Words = std::string (*)(const Failure&);
    constexpr WordedFamily(const char* name, Words words) : name_(name), words_(words) {}
    const char* name() const override { return name_; }
    void describeTo(std::string& text, const Failure& failure) const override { text += words_(failure); }

  private:
    const char* name_;
    Words words_;
};

// Whether `Enum` is a family's enum: one that faultFamily(Enum) names a family for.
template <typename Enum, typename = void>
struct IsFaultEnum : std::false_type {};
template <typename Enum>
struct IsFaultEnum<Enum, std::enable_if_t<std::is_same_v<decltype(faultFamily(Enum{})), const FaultFamily&>>>
    : std::true_type {};

// A fault: its family and its number there. Numbers stay apart across families (blocks of a hundred), so
// that a number alone names one fault in a diagnostic.
struct FaultCode {
    template <typename Enum, typename = std::enable_if_t<IsFaultEnum<Enum>::value>>
    FaultCode(Enum fault) // NOLINT(google-explicit-constructor): an enumerator is a fault
        : family(&faultFamily(fault)), number(static_cast<std::uint16_t>(fault)) {}

    // Whether it is a fault of the family of `Enum`.
    template <typename Enum>
    bool of() const {
        return family == &faultFamily(Enum{});
    }
    // The fault as its family's enumerator; a family's texts ask this of their own faults.
    template <typename Enum>
    Enum as() const {
        return static_cast<Enum>(number);
    }

    const FaultFamily* family;
    std::uint16_t number;
};

inline bool operator==(FaultCode a, FaultCode b) {
    return a.family == b.family && a.number == b.number;
}
inline bool operator!=(FaultCode a, FaultCode b) {
    return !(a == b);
}
template <typename Enum, typename = std::enable_if_t<IsFaultEnum<Enum>::value>>
bool operator==(FaultCode a, Enum b) {
    return a == FaultCode(b);
}
template <typename Enum, typename = std::enable_if_t<IsFaultEnum<Enum>::value>>
bool operator==(Enum a, FaultCode b) {
    return FaultCode(a) == b;
}
template <typename Enum, typename = std::enable_if_t<IsFaultEnum<Enum>::value>>
bool operator!=(FaultCode a, Enum b) {
    return !(a == b);
}
template <typename Enum, typename = std::enable_if_t<IsFaultEnum<Enum>::value>>
bool operator!=(Enum a, FaultCode b) {
    return !(a == b);
}

// The catalogue layer's own faults, grouped in blocks of a hundred; their texts are made in
// catalogue/src/texts_catalogue.cpp. The comment of each fault names the details it uses.
enum class CatalogueFault : std::uint16_t {
    // Files and the system.
    System = 1,          // the system refused: `why` holds its own reason; file
    PathHoldsNul = 2,    // file
    IsDirectory = 3,     // file: a directory where a file was wanted
    NotOrdinaryFile = 4, // file: a FIFO, device or socket where a file was wanted
    FileTooLarge = 5,    // file, limit: the most bytes it may hold
    NotUtf8 = 6,         // count: which character of the text (from 1) is not well-formed UTF-8
    NotInCodePage = 7,   // count: which character (from 1); value: that character in UTF-8

    // The catalogue, its records and the data folder.
    CannotBeOpened = 100,        // file, cause
    CannotBeRead = 101,          // file, cause
    EndsInRecord = 102,          // file, record, count: the fields it has
    FieldTooLong = 103,          // file, record, field, limit: the most bytes a field may hold
    SelectionYearNotWhole = 104, // field: 1 or 2 (Year1, Year2), value, record: the one that needed it
    RecordYearNotWhole = 105,    // record, field (YearFrom or YearTo), value
    PartCodeNotPlainName = 106,  // value: the part code
};
const FaultFamily& faultFamily(CatalogueFault);

struct Failure {
    explicit Failure(FaultCode of) : fault(of) {}

    FaultCode fault;
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

// The fault `fault` of the file (or folder) `file`, for the reason `why` that the system or a library
// gave, if any.
inline Failure fileFault(FaultCode fault, std::string file, std::string why = {}) {
    Failure failure(fault);
    failure.file = std::move(file);
    failure.why = std::move(why);
    return failure;
}

// `failure` with `cause` as the failure below it.
inline Failure causedBy(Failure failure, Failure cause) {
    failure.cause = std::make_shared<const Failure>(std::move(cause));
    return failure;
}

} // namespace specialty
