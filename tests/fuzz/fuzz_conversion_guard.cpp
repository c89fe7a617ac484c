// The conversion guard and the number formats on any cell text: they end, and a value is never a
// conversion of itself; a number shown in a fixed format is a number the guard reads back as the value
// rounded.
#include "fuzz_input.h"
#include "tools/spreadsheet/conversion_guard.h"
#include "tools/spreadsheet/locale_numbers.h"
#include "tools/spreadsheet/number_format.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace specialty;
    fuzz::Input input(data, size);
    const std::size_t split = input.byte();
    const int formatId = input.byte();
    const std::string_view code = input.take(input.byte() % 16);
    const std::string_view before = input.take(split);
    const std::string_view after = input.rest();
    fuzz::require(!spreadsheetConversion(before, before));
    (void)spreadsheetConversion(before, after);
    (void)localeReadings(after);
    (void)withoutSeparatorsAndSigns(after);
    (void)convertedShape(after);
    (void)numberKey(after);
    const ShownNumber shown = shownNumber(after, NumberFormat{formatId, std::string(code)});
    if (shown.kind == ShownKind::Number) fuzz::require(!shown.text.empty());
    return 0;
}
