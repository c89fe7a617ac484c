// The workbook reader: rows read as the spreadsheet shows them and as their CSV would be, and hostile
// workbooks refused within their bounds, whatever their encoding or container.
#include "test_support.h"

#include "catalogue/catalogue_record.h"
#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/spreadsheet.h"

#include <zip.h>

#include <QTest>

using namespace specialty;
using namespace specialty::test;

namespace {

struct Entry {
    QString name;
    QByteArray bytes;
    bool storedWithWrongChecksum = false; // stored, not deflated, and its checksum off by one bit
};

// A zip container of `entries`, in their order.
void writeEntries(const QString& path, const std::vector<Entry>& entries) {
    zipFile zip = zipOpen64(path.toUtf8().constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip != nullptr);
    for (const Entry& e : entries) {
        const auto size = static_cast<unsigned>(e.bytes.size());
        const bool stored = e.storedWithWrongChecksum;
        QCOMPARE(zipOpenNewFileInZip2_64(zip, e.name.toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0,
                                         nullptr, stored ? 0 : Z_DEFLATED, Z_DEFAULT_COMPRESSION, stored, 1),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, e.bytes.constData(), size), ZIP_OK);
        const uLong checksum = crc32(0, reinterpret_cast<const Bytef*>(e.bytes.constData()), size);
        QCOMPARE(stored ? zipCloseFileInZipRaw64(zip, size, checksum ^ 1) : zipCloseFileInZip(zip), ZIP_OK);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
}

QByteArray inlineCell(const QByteArray& reference, const QByteArray& text) {
    return "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

// The header row, as inline strings.
QByteArray headerRow() {
    QByteArray cells;
    for (int f = 1; f <= kRecordFields; ++f)
        cells += inlineCell(QByteArray(1, char('A' + f - 1)) + "1", QByteArray::fromStdString(fieldName(f)));
    return "<row r=\"1\">" + cells + "</row>";
}

QByteArray worksheet(const QByteArray& rows) {
    return "<worksheet><sheetData>" + headerRow() + rows + "</sheetData></worksheet>";
}

// A workbook whose first sheet is `sheet` (xl/worksheets/sheet1.xml), `workbook` its xl/workbook.xml.
std::vector<Entry> workbookEntries(const QByteArray& sheet, const QByteArray& workbook = {}) {
    return {{"xl/workbook.xml",
             !workbook.isEmpty()
                 ? workbook
                 : "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                   "<sheet name=\"A\" sheetId=\"1\" r:id=\"rId7\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId7\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId8\" Type=\"http://x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
             "</Relationships>"},
            {"xl/sharedStrings.xml",
             "<sst><si><t>2001</t></si><si><t>V\xC3\xA9lo</t><rPh><t>x</t></rPh></si></sst>"},
            {"xl/worksheets/sheet1.xml", sheet}};
}

// The header row of a CSV file.
QByteArray csvHeader() {
    std::vector<std::string> names;
    for (int f = 1; f <= kRecordFields; ++f)
        names.push_back(fieldName(f));
    return QByteArray::fromStdString(csvRow(names));
}

// A valid record in row `r`: VehicleId `id`, Make "Ford", years 2000.
QByteArray recordRow(int r, const QByteArray& id) {
    const QByteArray n = QByteArray::number(r);
    return "<row r=\"" + n + "\">" + inlineCell("A" + n, id) + inlineCell("C" + n, "Ford") +
           inlineCell("F" + n, "2000") + inlineCell("G" + n, "2000") + "</row>";
}

// `text` in UTF-16 (little-endian), after a byte order mark when `mark`.
QByteArray utf16(const QByteArray& text, bool mark) {
    QByteArray bytes = mark ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (char c : text)
        bytes += QByteArray(1, c) + QByteArray(1, '\0');
    return bytes;
}

Result<std::string> imported(const std::vector<Entry>& entries) {
    DataFolder folder;
    writeEntries(QString::fromStdString(folder.file("x.xlsx")), entries);
    return catalogueFromSpreadsheet(folder.file("x.xlsx"));
}

} // namespace

class WorkbookReaderTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void cellsByTheirPlace() {
        // Shared and inline strings, cells left out (empty), a number, a phonetic run that is no text.
        Result<std::string> catalogue = imported(
            workbookEntries(worksheet("<row r=\"3\"><c r=\"A3\"><v>12</v></c><c r=\"C3\" t=\"s\"><v>1</v></c>"
                                      "<c r=\"D3\" t=\"inlineStr\"><is><t>Tar</t><r><t>sa</t></r></is></c>"
                                      "<c r=\"F3\"><v>1999</v></c><c r=\"G3\" t=\"s\"><v>0</v></c><c "
                                      "r=\"W3\" t=\"s\"><v>0</v></c></row>")));
        QVERIFY2(catalogue, catalogue.reason().c_str());
        QCOMPARE(catalogue.value(),
                 "12,,\"V\xE9lo\",\"Tarsa\",,1999,2001,,,,,,,,,,,,,,,,2001\r\n0,,,,,,,,,,,,,,,,,,,,,,\r\n");
    }

    // A row reads as the spreadsheet shows it, and then as its CSV does: accepted alike or refused alike.
    void rowsReadAsTheirCsv_data() {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("expected");
        QTest::newRow("year cells left out")
            << "<row r=\"2\">" + inlineCell("A2", "5") + inlineCell("C2", "Ford") + "</row>"
            << QByteArray("5,,Ford,,,,") + QByteArray(16, ',') + "\r\n"
            << "x.xlsx:2:6: error: YearFrom \"\" is a year that is not a whole number";
        QTest::newRow("a row of formatted empty cells is no row")
            << "<row r=\"2\"><c r=\"A2\" s=\"1\"/><c r=\"F2\" s=\"1\"/></row>" + recordRow(3, "7")
            << QByteArray("7,,Ford,,,2000,2000") + QByteArray(16, ',') + "\r\n"
            << "7,,\"Ford\",,,2000,2000,";
    }
    void rowsReadAsTheirCsv() {
        QFETCH(QByteArray, rows);
        QFETCH(QByteArray, csv);
        QFETCH(QString, expected);
        DataFolder folder;
        const std::string path = folder.file("x.xlsx");
        writeEntries(QString::fromStdString(path), workbookEntries(worksheet(rows)));
        const Result<std::string> fromWorkbook = catalogueFromSpreadsheet(path);
        const Result<std::string> fromCsv = catalogueFromCsv((csvHeader() + csv).toStdString(), path);
        const std::string workbookSays = fromWorkbook ? fromWorkbook.value() : fromWorkbook.reason();
        const std::string csvSays = fromCsv ? fromCsv.value() : fromCsv.reason();
        QCOMPARE(bool(fromWorkbook), bool(fromCsv));
        QCOMPARE(QString::fromStdString(workbookSays), QString::fromStdString(csvSays));
        QVERIFY2(QString::fromStdString(workbookSays).contains(expected), workbookSays.c_str());
    }

    void hostileWorkbooksAreRefused_data() {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("workbook");
        QTest::addColumn<QString>("fault");
        const QByteArray ok = recordRow(2, "1");
        QTest::newRow("ten million empty tags, which inflate a thousand times")
            << worksheet(ok + QByteArray(10 << 20, 'x').replace("x", "<a/>")) << QByteArray()
            << "sheet1.xml inflates to more than 100 times its size in the container";
        QTest::newRow("one text of 3 MB, which the XML reader would hold whole")
            << worksheet("<row r=\"2\">" + inlineCell("B2", QByteArray(3 << 20, 'x')) + "</row>")
            << QByteArray() << "holds more than 1048576 bytes in one text or tag";
        QTest::newRow("a tag of 100 KB")
            << worksheet("<row r=\"2\" x=\"" + QByteArray(100 << 10, 'x') + "\"></row>") << QByteArray()
            << "holds more than 65536 bytes in one tag";
        QByteArray attributes;
        for (int i = 0; i < 5000; ++i)
            attributes += " a" + QByteArray::number(i) + "=\"\"";
        QTest::newRow("5,000 attributes in one tag")
            << worksheet("<row r=\"2\"" + attributes + "></row>" + ok) << QByteArray()
            << "holds more than 256 attributes in one tag";
        QTest::newRow("elements nested 100,000 deep")
            << worksheet(ok + QByteArray(100000, 'x').replace("x", "<a>") +
                         QByteArray(100000, 'x').replace("x", "</a>"))
            << QByteArray() << "holds more than 256 elements inside each other";
        const QByteArray smuggled =
            "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + worksheet(recordRow(2, "<![CDATA[10<01]]>"));
        QTest::newRow("UTF-16 with a CDATA section")
            << utf16(smuggled, true) << QByteArray()
            << "sheet1.xml cannot be read: it is not written in UTF-8";
        QTest::newRow("UTF-16 without a byte order mark")
            << utf16(smuggled, false) << QByteArray() << "it is not written in UTF-8";
        QTest::newRow("another encoding declared")
            << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + worksheet(ok) << QByteArray()
            << "it is not written in UTF-8";
        QTest::newRow("a cell A7 inside row 2")
            << worksheet("<row r=\"2\">" + inlineCell("A7", "5") + "</row>") << QByteArray()
            << "x.xlsx:2: error: the workbook's xl/worksheets/sheet1.xml cannot be read: cell A7 stands "
               "inside another row";
        QTest::newRow("document type with entities")
            << worksheet(ok) << QByteArray("<!DOCTYPE w [<!ENTITY a \"aaaa\">]><workbook/>")
            << "holds a comment, a CDATA section, a document type";
        QTest::newRow("string that is not there")
            << worksheet("<row r=\"2\"><c r=\"A2\" t=\"s\"><v>99</v></c></row>") << QByteArray()
            << "a cell names a string that is not there";
        QTest::newRow("formula") << worksheet("<row r=\"2\"><c r=\"A2\"><f>1+1</f><v>2</v></c></row>")
                                 << QByteArray() << "x.xlsx:2:1: error: a formula";
        QTest::newRow("rows out of order")
            << worksheet("<row r=\"1\"/>") << QByteArray() << "a row is out of order";
        QTest::newRow("guard carried over from CSV")
            << worksheet("<row r=\"2\">" + inlineCell("A2", "'=1") + "</row>") << QByteArray()
            << "x.xlsx:2:1: error: VehicleId \"'=1\" begins with the \"'\"";
    }
    void hostileWorkbooksAreRefused() {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, workbook);
        QFETCH(QString, fault);
        Result<std::string> catalogue = imported(workbookEntries(sheet, workbook));
        QVERIFY(!catalogue);
        QVERIFY2(QString::fromStdString(catalogue.reason()).contains(fault), catalogue.reason().c_str());
    }

    // Containers that spreadsheets read differently, or that are damaged.
    void hostileContainersAreRefused_data() {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("fault");
        QTest::newRow("sheet1.xml twice") << 0 << "it holds two entries named xl/worksheets/sheet1.xml";
        QTest::newRow("stored sheet, checksum wrong")
            << 1 << "xl/worksheets/sheet1.xml cannot be read: its bytes do not match their checksum";
        QTest::newRow("stored workbook.xml, checksum wrong")
            << 2 << "xl/workbook.xml cannot be read: its bytes do not match their checksum";
        QTest::newRow("not a zip container") << 3 << "not an Office Open XML workbook (no zip container)";
    }
    void hostileContainersAreRefused() {
        QFETCH(int, damage);
        QFETCH(QString, fault);
        std::vector<Entry> entries = workbookEntries(worksheet(recordRow(2, "1")));
        QVERIFY(imported(entries)); // as it is, the workbook is fine
        if (damage == 0) entries.push_back({"xl/worksheets/sheet1.xml", worksheet(recordRow(2, "2"))});
        if (damage == 1) entries.back().storedWithWrongChecksum = true;
        if (damage == 2) entries.front().storedWithWrongChecksum = true;
        Result<std::string> catalogue = imported(entries);
        if (damage == 3) {
            DataFolder folder;
            folder.writeFile("y.xlsx", "PK\x03\x04 not a zip");
            catalogue = catalogueFromSpreadsheet(folder.file("y.xlsx"));
        }
        QVERIFY(!catalogue);
        QVERIFY2(QString::fromStdString(catalogue.reason()).contains(fault), catalogue.reason().c_str());
    }
};

QTEST_MAIN(WorkbookReaderTest)
#include "test_workbook_reader.moc"
