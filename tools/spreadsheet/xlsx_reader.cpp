#include "tools/spreadsheet/xlsx_reader.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "catalogue/catalogue_record.h"
#include "catalogue/regular_file.h"
#include "tools/spreadsheet/workbook_styles.h"
#include "tools/spreadsheet/xml_part.h"

#include <unzip.h>

#include <QFile>

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace specialty {

namespace {

// Bounds far beyond any catalogue's workbook, short of exhausting memory.
constexpr std::uint64_t kMostSmallPartBytes = 4 * 1024 * 1024;   // workbook.xml and its relationships
constexpr std::uint64_t kMostStringBytes = 128ull * 1024 * 1024; // the shared strings' text in memory
constexpr std::size_t kMostStrings = 4 * 1024 * 1024;
constexpr std::uint64_t kMostRow = 1048576; // the rows and columns a spreadsheet has
constexpr std::uint64_t kMostColumn = 16384;
// The worksheet and the shared strings are read as streams, so their size costs time, not memory, and
// the time is bounded by the file's own size (see xml_part.h). Their bound is the largest sheet a
// catalogue can fill: every row a spreadsheet has, each with every field at the most bytes a cell keeps,
// every byte written as the longest escape ("&quot;"), and every column's cell in its markup.
constexpr std::uint64_t kMostEscapeBytes = 6;
constexpr std::uint64_t kMostCellMarkupBytes = 64;
constexpr std::uint64_t kMostPartBytes =
    kMostRow * (static_cast<std::uint64_t>(kRecordFields) * kMostEscapeBytes * kMostCellBytes +
                kMostColumn * kMostCellMarkupBytes);

const char* const kRelationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

constexpr unsigned long kMostEntries = 10000; // the container's entries; a workbook has a few dozen

// Where a cell reference ("AB12") stands: its column (28) and row (12); a column of 0 when it is none.
struct Reference {
    std::uint64_t column = 0;
    std::uint64_t row = 0;
};

Reference referenceOf(QStringView reference) {
    Reference at;
    qsizetype i = 0;
    for (; i < reference.size() && i < 4 && reference[i] >= u'A' && reference[i] <= u'Z'; ++i)
        at.column = at.column * 26 + static_cast<std::uint64_t>(reference[i].unicode() - u'A' + 1);
    const qsizetype digits = reference.size() - i;
    bool ok = i > 0 && digits > 0 && digits <= 7 && reference[i] != u'0';
    for (qsizetype d = i; ok && d < reference.size(); ++d) {
        ok = reference[d] >= u'0' && reference[d] <= u'9';
        at.row = at.row * 10 + static_cast<std::uint64_t>(reference[d].unicode() - u'0');
    }
    if (!ok || at.column > kMostColumn || at.row > kMostRow) return {};
    return at;
}

// A part's path inside the container from a relationship's target, which is relative to xl/ or absolute.
QString partPath(const QString& target) {
    return target.startsWith(u'/') ? target.mid(1) : "xl/" + target;
}

// Text of a string item (<si> or <is>): its <t> elements, phonetic runs (<rPh>) left out; at most
// kMostCellBytes kept, every byte counted.
class ItemText {
  public:
    void clear() {
        text.clear();
        bytes = 0;
        inText = false;
        phonetic = 0;
    }
    void token(QXmlStreamReader& xml) {
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh") ++phonetic;
            if (xml.name() == u"t") inText = phonetic == 0;
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh") --phonetic;
            if (xml.name() == u"t") inText = false;
        } else if (xml.isCharacters() && inText) {
            const QByteArray utf8 = xml.text().toUtf8();
            bytes += static_cast<std::uint64_t>(utf8.size());
            if (text.size() < kMostCellBytes)
                text.append(utf8.constData(), std::min<std::size_t>(static_cast<std::size_t>(utf8.size()),
                                                                    kMostCellBytes - text.size()));
        }
    }
    std::string text;
    std::uint64_t bytes = 0;

  private:
    bool inText = false;
    int phonetic = 0;
};

// The container's reading goes through the device it was handed (a file, or bytes in memory).
namespace device_io {
QIODevice* device(voidpf opaque) {
    return static_cast<QIODevice*>(opaque);
}
voidpf open(voidpf opaque, const void*, int) {
    return device(opaque)->isReadable() ? opaque : nullptr;
}
uLong read(voidpf opaque, voidpf, void* buffer, uLong size) {
    const qint64 got = device(opaque)->read(static_cast<char*>(buffer), static_cast<qint64>(size));
    return got < 0 ? 0 : static_cast<uLong>(got);
}
uLong write(voidpf, voidpf, const void*, uLong) {
    return 0;
}
ZPOS64_T tell(voidpf opaque, voidpf) {
    return static_cast<ZPOS64_T>(device(opaque)->pos());
}
long seek(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
    QIODevice* d = device(opaque);
    const qint64 base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? d->pos()
                        : origin == ZLIB_FILEFUNC_SEEK_END ? d->size()
                                                           : 0;
    if (offset > static_cast<ZPOS64_T>(std::numeric_limits<qint64>::max() - base)) return -1;
    return d->seek(base + static_cast<qint64>(offset)) ? 0 : -1;
}
int close(voidpf, voidpf) {
    return 0; // the device belongs to the caller
}
int error(voidpf, voidpf) {
    return 0;
}
} // namespace device_io

class WorkbookRows : public TableRows {
  public:
    ~WorkbookRows() override {
        sheet_.close();
        if (zip_ != nullptr) unzClose(zip_);
    }

    Status open(QIODevice* device) {
        zlib_filefunc64_def io{};
        io.zopen64_file = device_io::open;
        io.zread_file = device_io::read;
        io.zwrite_file = device_io::write;
        io.ztell64_file = device_io::tell;
        io.zseek64_file = device_io::seek;
        io.zclose_file = device_io::close;
        io.zerror_file = device_io::error;
        io.opaque = device;
        zip_ = unzOpen2_64("workbook", &io);
        if (zip_ == nullptr) return Status::failure(Failure(SpreadsheetFault::NotAZipContainer));
        if (Status single = eachEntryOnce(); !single) return single;
        Result<QString> sheetId = firstSheetId();
        if (!sheetId) return Status::failure(sheetId.error());
        QString sheetTarget;
        QString stringsTarget;
        QString stylesTarget;
        { // one part of the container is open at a time
            XmlPart rels;
            if (Status opened = rels.open(zip_, "xl/_rels/workbook.xml.rels", kMostSmallPartBytes); !opened)
                return opened;
            Result<bool> more = true;
            while ((more = rels.next()) && more.value()) {
                if (!rels.xml().isStartElement() || rels.xml().name() != u"Relationship") continue;
                const QXmlStreamAttributes a = rels.xml().attributes();
                if (a.value("Id") == sheetId.value()) sheetTarget = a.value("Target").toString();
                if (a.value("Type").endsWith(u"/sharedStrings")) stringsTarget = a.value("Target").toString();
                if (a.value("Type").endsWith(u"/styles")) stylesTarget = a.value("Target").toString();
            }
            if (!more) return Status::failure(more.error());
        }
        if (sheetTarget.isEmpty())
            return Status::failure(
                partFault(SpreadsheetFault::WorkbookSheetWithoutPart, "xl/_rels/workbook.xml.rels"));
        if (!stringsTarget.isEmpty())
            if (Status read = readStrings(partPath(stringsTarget)); !read) return read;
        if (!stylesTarget.isEmpty())
            if (Status read = styles_.read(zip_, partPath(stylesTarget), kMostSmallPartBytes); !read)
                return read;
        return sheet_.open(zip_, partPath(sheetTarget), kMostPartBytes);
    }

    Result<bool> next(TableRow& row) override {
        for (;;) {
            Result<bool> more = sheet_.next();
            if (!more) return failedHere(more.error());
            if (!more.value()) return false;
            QXmlStreamReader& xml = sheet_.xml();
            if (!xml.isStartElement() || xml.name() != u"row") continue;
            bool ok = false;
            const QStringView number = xml.attributes().value("r");
            const std::uint64_t line = number.isEmpty() ? rowNumber_ + 1 : number.toULongLong(&ok);
            if ((!number.isEmpty() && !ok) || line <= rowNumber_ || line > kMostRow)
                return failedHere(partFault(SpreadsheetFault::WorkbookRowOutOfOrder, sheet_.name()));
            rowNumber_ = line;
            row.line = line;
            row.cells.clear();
            row.cellsBeyond = 0;
            row.lastColumn = 0;
            if (Result<bool> read = readRow(row); !read) return read;
            // A row of empty cells (formatted, say) is no row a spreadsheet shows.
            if (row.cellsBeyond > 0 || std::any_of(row.cells.begin(), row.cells.end(),
                                                   [](const TableCell& c) { return c.bytes > 0; }))
                return true;
        }
    }

  private:
    // `failure`, placed at the row read last.
    Result<bool> failedHere(Failure failure) {
        failure.line = rowNumber_;
        return Result<bool>::failure(std::move(failure));
    }

    // Refuses a container holding two entries of one name: spreadsheets differ in which one they read.
    Status eachEntryOnce() {
        std::unordered_set<std::size_t> names; // hashes: the names may be long, and many
        std::vector<char> name(65536);
        for (int at = unzGoToFirstFile(zip_); at != UNZ_END_OF_LIST_OF_FILE; at = unzGoToNextFile(zip_)) {
            unz_file_info64 info{};
            if (at != UNZ_OK || unzGetCurrentFileInfo64(zip_, &info, name.data(), name.size(), nullptr, 0,
                                                        nullptr, 0) != UNZ_OK)
                return Status::failure(Failure(SpreadsheetFault::NotAZipContainer));
            if (names.size() >= kMostEntries) {
                Failure many(SpreadsheetFault::WorkbookTooManyEntries);
                many.limit = kMostEntries;
                return Status::failure(std::move(many));
            }
            const std::string_view entry(name.data(),
                                         std::min<std::size_t>(info.size_filename, name.size() - 1));
            if (!names.insert(std::hash<std::string_view>()(entry)).second)
                return Status::failure(
                    partFault(SpreadsheetFault::WorkbookEntryTwice,
                              QString::fromUtf8(entry.data(), static_cast<int>(entry.size()))));
        }
        return Done{};
    }

    // The r:id of the workbook's first sheet.
    Result<QString> firstSheetId() {
        XmlPart workbook;
        if (Status opened = workbook.open(zip_, "xl/workbook.xml", kMostSmallPartBytes); !opened)
            return Result<QString>::failure(opened.error());
        Result<bool> more = true;
        std::optional<QString> first;
        while ((more = workbook.next()) && more.value()) // to its end, where its checksum is compared
            if (!first && workbook.xml().isStartElement() && workbook.xml().name() == u"sheet")
                first = workbook.xml().attributes().value(kRelationships, "id").toString();
        if (!more) return Result<QString>::failure(more.error());
        if (first) return *first;
        return Result<QString>::failure(partFault(SpreadsheetFault::WorkbookNamesNoSheet, "xl/workbook.xml"));
    }

    Status readStrings(const QString& name) {
        XmlPart part;
        if (Status opened = part.open(zip_, name, kMostPartBytes); !opened) return opened;
        ItemText item;
        bool inItem = false;
        Result<bool> more = true;
        while ((more = part.next()) && more.value()) {
            QXmlStreamReader& xml = part.xml();
            if (xml.isStartElement() && xml.name() == u"si") {
                item.clear();
                inItem = true;
            } else if (xml.isEndElement() && xml.name() == u"si") {
                inItem = false;
                if (ends_.size() >= kMostStrings)
                    return Status::failure(
                        partFault(SpreadsheetFault::WorkbookTooManyStrings, name, kMostStrings));
                if (pool_.size() + item.text.size() > kMostStringBytes)
                    return Status::failure(
                        partFault(SpreadsheetFault::WorkbookStringsTooLarge, name, kMostStringBytes));
                pool_ += item.text;
                if (item.bytes > item.text.size()) longer_[ends_.size()] = item.bytes;
                ends_.push_back(pool_.size());
            } else if (inItem) {
                item.token(xml);
            }
        }
        return more ? Status(Done{}) : Status::failure(more.error());
    }

    Result<bool> readRow(TableRow& row) {
        QXmlStreamReader& xml = sheet_.xml();
        std::uint64_t column = 0;
        TableCell cell;
        QString type;
        std::string value;
        ItemText inlineText;
        bool inCell = false, inValue = false, inInline = false, inFormula = false;
        for (;;) {
            Result<bool> more = sheet_.next();
            if (!more) return failedHere(more.error());
            if (!more.value())
                return failedHere(partFault(SpreadsheetFault::WorkbookRowNeverEnds, sheet_.name()));
            if (xml.isStartElement() && xml.name() == u"c" && !inCell) {
                const QStringView reference = xml.attributes().value("r");
                const Reference place =
                    reference.isEmpty() ? Reference{column + 1, row.line} : referenceOf(reference);
                const std::uint64_t at = place.column;
                if (at == 0 || at <= column || at > kMostColumn)
                    return failedHere(partFault(SpreadsheetFault::WorkbookCellOutOfOrder, sheet_.name()));
                if (place.row != row.line) {
                    Failure elsewhere = partFault(SpreadsheetFault::WorkbookCellInOtherRow, sheet_.name());
                    elsewhere.expected = reference.toString().toStdString();
                    return failedHere(std::move(elsewhere));
                }
                column = at;
                cell = TableCell{};
                cell.line = row.line;
                cell.column = column;
                type = xml.attributes().value("t").toString();
                cell.format = styles_.formatOf(xml.attributes().value("s").toULongLong());
                value.clear();
                inlineText.clear();
                inCell = true;
            } else if (inCell && xml.isStartElement() && xml.name() == u"f") {
                cell.formula = true;
                inFormula = true;
            } else if (inFormula && xml.isEndElement() && xml.name() == u"f") {
                inFormula = false;
            } else if (inFormula && xml.isCharacters()) {
                if (cell.formulaText.size() < kMostCellBytes)
                    cell.formulaText +=
                        xml.text().toUtf8().left(static_cast<int>(kMostCellBytes)).toStdString();
            } else if (inCell && xml.isStartElement() && xml.name() == u"v") {
                inValue = true;
            } else if (inCell && xml.isEndElement() && xml.name() == u"v") {
                inValue = false;
            } else if (inCell && xml.isStartElement() && xml.name() == u"is") {
                inInline = true;
            } else if (inCell && xml.isEndElement() && xml.name() == u"is") {
                inInline = false;
            } else if (inInline) {
                inlineText.token(xml);
            } else if (inValue && xml.isCharacters()) {
                if (value.size() < kMostCellBytes)
                    value += xml.text().toUtf8().left(static_cast<int>(kMostCellBytes)).toStdString();
            } else if (inCell && xml.isEndElement() && xml.name() == u"c") {
                inCell = false;
                if (Status made = makeCell(cell, type, value, inlineText); !made)
                    return failedHere(made.error());
                row.lastColumn = column;
                keepCell(row, std::exchange(cell, TableCell{})); // the next cell starts empty
            } else if (xml.isEndElement() && xml.name() == u"row") {
                return true;
            }
        }
    }

    Status makeCell(TableCell& cell, const QString& type, const std::string& value,
                    const ItemText& inlineText) {
        if (type == u"s") {
            bool ok = false;
            const qulonglong index = QByteArray::fromStdString(value).trimmed().toULongLong(&ok);
            if (!ok || index >= ends_.size())
                return Status::failure(partFault(SpreadsheetFault::WorkbookStringMissing, sheet_.name()));
            const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
            cell.text = pool_.substr(begin, ends_[index] - begin);
            const auto longer = longer_.find(index);
            cell.bytes = longer == longer_.end() ? cell.text.size() : longer->second;
        } else if (type == u"inlineStr") {
            cell.text = inlineText.text;
            cell.bytes = inlineText.bytes;
        } else {
            cell.text = value;
            cell.bytes = value.size();
            if (type == u"b" || type == u"e" || type == u"d") cell.kind = type.toStdString();
            if ((type.isEmpty() || type == u"n") && !value.empty()) cell.kind = "n";
        }
        if (cell.formula && cell.bytes == 0) cell.bytes = 1; // a formula cell is never taken as empty
        return Done{};
    }

    unzFile zip_ = nullptr;
    std::string pool_;                                      // the shared strings end to end
    std::vector<std::uint64_t> ends_;                       // where each one ends in pool_
    std::unordered_map<std::size_t, std::uint64_t> longer_; // lengths of those kept only in part
    WorkbookStyles styles_;
    XmlPart sheet_;
    std::uint64_t rowNumber_ = 0;
};

} // namespace

Result<std::unique_ptr<TableRows>> openWorkbook(QIODevice* device) {
    auto rows = std::make_unique<WorkbookRows>();
    if (Status opened = rows->open(device); !opened)
        return Result<std::unique_ptr<TableRows>>::failure(opened.error());
    return std::unique_ptr<TableRows>(std::move(rows));
}

Result<std::unique_ptr<TableRows>> openWorkbook(const std::string& path) {
    // The file lives as long as the rows: it is handed to them with the container.
    struct FileRows : TableRows {
        QFile file;
        std::unique_ptr<TableRows> rows;
        Result<bool> next(TableRow& row) override { return rows->next(row); }
    };
    if (!isRegularFile(path))
        return Result<std::unique_ptr<TableRows>>::failure(
            Failure(SpreadsheetFault::WorkbookNotOrdinaryFile));
    auto owner = std::make_unique<FileRows>();
    owner->file.setFileName(QString::fromStdString(path));
    if (!owner->file.open(QIODevice::ReadOnly)) {
        Failure refused(CatalogueFault::System);
        refused.why = owner->file.errorString().toStdString();
        return Result<std::unique_ptr<TableRows>>::failure(std::move(refused));
    }
    Result<std::unique_ptr<TableRows>> rows = openWorkbook(&owner->file);
    if (!rows) return rows;
    owner->rows = std::move(rows.value());
    return std::unique_ptr<TableRows>(std::move(owner));
}

} // namespace specialty
