// The first worksheet of an Office Open XML workbook, row by row, as a hostile file may hold it: every
// part read is bounded in what it declares and in what it inflates to, and so are the shared strings, the
// rows and the cells; a document type declaration (and with it any entity) is refused.
#pragma once

#include "catalogue/result.h"
#include "tools/spreadsheet/table_rows.h"

#include <memory>
#include <string>

class QIODevice;

namespace specialty {

Result<std::unique_ptr<TableRows>> openWorkbook(const std::string& path);
// Reads the workbook from `device` (opened or not), which must outlive the rows.
Result<std::unique_ptr<TableRows>> openWorkbook(QIODevice* device);

} // namespace specialty
