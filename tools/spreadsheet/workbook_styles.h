// A workbook's cell styles as far as import needs them: the number format of each style a cell names.
#pragma once

#include "catalogue/result.h"
#include "tools/spreadsheet/number_format.h"

#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace specialty {

class XmlPart;

class WorkbookStyles {
  public:
    // Reads the styles part `name` of the container `zip` (an unzFile), bounded by `mostBytes` inflated.
    Status read(void* zip, const QString& name, std::uint64_t mostBytes);
    // The number format of the cell style numbered `style` (a cell's s attribute); General for a style the
    // part does not hold, as spreadsheets read it.
    NumberFormat formatOf(std::uint64_t style) const;

  private:
    static constexpr std::size_t kMostStyles = 64 * 1024; // far beyond the styles of any workbook
    std::unordered_map<int, std::string> codes_;          // the workbook's own format codes by number
    std::vector<int> formats_;                            // the number format of each cell style
};

} // namespace specialty
