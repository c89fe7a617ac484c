// What a spreadsheet or a script made of the catalogue without a word: number cells read as the
// spreadsheet shows them, records numbered alike in every message, and import run as a maintainer runs it
// on files that lost or gained something on the way.
#include "tool_test_support.h"

#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/number_format.h"
#include "tools/spreadsheet/spreadsheet.h"

#include <zip.h>

#include <QFile>
#include <QTest>

using namespace specialty;
using namespace specialty::test;

namespace {

const char* const kFieldNames[] = {"VehicleId",  "SpareField", "Make",       "Model",      "Submodel",
                                   "YearFrom",   "YearTo",     "PartCode1",  "PartCode2",  "PartCode3",
                                   "PartCode4",  "PartCode5",  "PartCode6",  "PartCode7",  "PartCode8",
                                   "PartCode9",  "PartCode10", "PartCode11", "PartCode12", "PartCode13",
                                   "PartCode14", "PartCode15", "PartCode16"};

std::string csvHeader() {
    return csvRow(std::vector<std::string>(std::begin(kFieldNames), std::end(kFieldNames)));
}

// A CSV row: VehicleId, Make "A", Model "M", Submodel "S", the years, and PartCode1.
std::string csvLine(const std::string& id, const std::string& from, const std::string& to,
                    const std::string& part = "", const std::string& make = "A") {
    std::vector<std::string> cells(kRecordFields);
    cells[0] = id;
    cells[2] = make;
    cells[3] = "M";
    cells[4] = "S";
    cells[5] = from;
    cells[6] = to;
    cells[7] = part;
    return csvRow(cells);
}

// The catalogue line of the same record.
std::string catalogueLine(const std::string& id, const std::string& from, const std::string& to,
                          const std::string& part = "", const std::string& make = "A") {
    return recordLine(id, "\"" + make + "\"", "\"M\"", "\"S\"", from, to, {{1, part}}) + "\r\n";
}

// A workbook whose first sheet holds `rows`, with a styles part of the cell formats `cellFormats` (each
// an <xf>'s numFmtId) and the workbook's own formats `ownFormats` (<numFmt> elements).
void writeWorkbook(const std::string& path, const QByteArray& rows, const QByteArray& cellFormats = {},
                   const QByteArray& ownFormats = {}) {
    QByteArray header;
    for (int f = 0; f < kRecordFields; ++f)
        header += QByteArray("<c t=\"inlineStr\"><is><t>") + kFieldNames[f] + "</t></is></c>";
    QByteArray xfs;
    for (const QByteArray& id : cellFormats.split(' '))
        if (!id.isEmpty()) xfs += "<xf numFmtId=\"" + id + "\"/>";
    const std::map<QString, QByteArray> parts{
        {"xl/workbook.xml",
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
         "<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
         "<Relationship Id=\"rId2\" Type=\"http://x/styles\" Target=\"styles.xml\"/></Relationships>"},
        {"xl/styles.xml",
         "<styleSheet><numFmts>" + ownFormats + "</numFmts><cellXfs>" + xfs + "</cellXfs></styleSheet>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet><sheetData><row r=\"1\">" + header + "</row>" + rows + "</sheetData></worksheet>"}};
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    QVERIFY(zip != nullptr);
    for (const auto& [name, bytes] : parts) {
        QCOMPARE(zipOpenNewFileInZip64(zip, name.toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0,
                                       nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size())), ZIP_OK);
        QCOMPARE(zipCloseFileInZip(zip), ZIP_OK);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
}

// A workbook row 2 of record 1 (A/M/S 2000-2001) whose PartCode1 is `partCell`, a whole <c> element.
QByteArray rowWithPart(const QByteArray& partCell) {
    return "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"C2\" t=\"inlineStr\"><is><t>A</t></is></c>"
           "<c r=\"D2\" t=\"inlineStr\"><is><t>M</t></is></c><c r=\"E2\" "
           "t=\"inlineStr\"><is><t>S</t></is></c>"
           "<c r=\"F2\"><v>2000</v></c><c r=\"G2\"><v>2001</v></c>" +
           partCell + "</row>";
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QByteArray contents(const std::string& path) {
    QFile file(q(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SpreadsheetConversionsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // A number cell's stored value in its number format, as a spreadsheet shows it.
    void numberCellsAsShown_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown"); // "date" for a date or a time, "?" for a format not applied
        QTest::newRow("General whole") << "2004" << 0 << ""
                                       << "2004";
        QTest::newRow("General, binary noise") << "0.30000000000000004" << 0 << ""
                                               << "0.3";
        QTest::newRow("General, exponent stored") << "1E-3" << 0 << ""
                                                  << "0.001";
        QTest::newRow("General past 15 digits") << "12345678901234567" << 0 << ""
                                                << "?";
        QTest::newRow("0.000 keeps trailing zeros") << "1.60000000000000000002" << 164 << "0.000"
                                                    << "1.600";
        QTest::newRow("0.00") << "1.10000000000000000002" << 2 << ""
                              << "1.10";
        QTest::newRow("0 rounds half away from zero") << "-2.5" << 1 << ""
                                                      << "-3";
        QTest::newRow("#,##0") << "1234567" << 3 << ""
                               << "1,234,567";
        QTest::newRow("percent") << "0.5" << 9 << ""
                                 << "50%";
        QTest::newRow("0.00% carries") << "0.99999" << 10 << ""
                                       << "100.00%";
        QTest::newRow("built-in date") << "46085" << 14 << ""
                                       << "date";
        QTest::newRow("own date") << "45296" << 165 << "yyyy\\-mm\\-dd"
                                  << "date";
        QTest::newRow("own time") << "0.0625" << 166 << "h:mm"
                                  << "date";
        QTest::newRow("elapsed hours") << "1.5" << 167 << "[h]:mm"
                                       << "date";
        QTest::newRow("quoted letters are no date") << "5" << 168 << "0\" days\""
                                                    << "?";
        QTest::newRow("scaled by a thousand") << "5000" << 169 << "0,"
                                              << "?";
        QTest::newRow("fraction") << "0.75" << 12 << ""
                                  << "?";
    }
    void numberCellsAsShown() {
        QFETCH(QString, value);
        QFETCH(int, id);
        QFETCH(QString, code);
        QFETCH(QString, shown);
        const ShownNumber got = shownNumber(value.toStdString(), NumberFormat{id, code.toStdString()});
        if (shown == "date") {
            QCOMPARE(int(got.kind), int(ShownKind::DateOrTime));
        } else if (shown == "?") {
            QCOMPARE(int(got.kind), int(ShownKind::Unknown));
        } else {
            QCOMPARE(int(got.kind), int(ShownKind::Number));
            QCOMPARE(q(got.text), shown);
        }
    }

    // Cells as a converter writes them into a workbook: each read as shown, or refused.
    void workbookNumberCells_data() {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("expected"); // PartCode1 as the catalogue stores it, or the fault
        QTest::newRow("1.600 in 0.000, shown 1,600 in other languages")
            << QByteArray("<c r=\"H2\" s=\"1\"><v>1.60000000000000000002</v></c>")
            << "x.xlsx:2:8: error: PartCode1 \"1.600\" is a number cell, which a spreadsheet shows with the "
               "decimal mark";
        QTest::newRow("1000 in General") << QByteArray("<c r=\"H2\"><v>1000</v></c>") << "1000";
        QTest::newRow("50% in 0%") << QByteArray("<c r=\"H2\" s=\"2\"><v>0.5</v></c>") << "50%";
        QTest::newRow("3/4 as a date serial") << QByteArray("<c r=\"H2\" s=\"3\"><v>46085</v></c>")
                                              << "x.xlsx:2:8: error: a date cell \"46085\"";
        QTest::newRow("1:30 as a time") << QByteArray("<c r=\"H2\" s=\"4\"><v>0.0625</v></c>")
                                        << "x.xlsx:2:8: error: a date cell \"0.0625\"";
        QTest::newRow("a format import cannot apply")
            << QByteArray("<c r=\"H2\" s=\"5\"><v>0.75</v></c>")
            << "PartCode1 \"0.75\" is a number cell whose number format (built-in number 12) import cannot "
               "apply";
        QTest::newRow("TRUE") << QByteArray("<c r=\"H2\" t=\"b\"><v>1</v></c>")
                              << "a true-or-false cell \"TRUE\": type the value as text";
        QTest::newRow("error") << QByteArray("<c r=\"H2\" t=\"e\"><v>#DIV/0!</v></c>")
                               << "an error cell \"#DIV/0!\"";
        QTest::newRow("formula by its text")
            << QByteArray("<c r=\"H2\"><f>1+2</f><v>3</v></c>") << "a formula \"=1+2\" (its value \"3\"";
    }
    void workbookNumberCells() {
        QFETCH(QByteArray, cell);
        QFETCH(QString, expected);
        DataFolder folder;
        writeWorkbook(folder.file("x.xlsx"), rowWithPart(cell), "0 164 9 14 165 12",
                      "<numFmt numFmtId=\"164\" formatCode=\"0.000\"/>"
                      "<numFmt numFmtId=\"165\" formatCode=\"h:mm\"/>");
        std::vector<std::string> warnings;
        const Result<std::string> catalogue = catalogueFromSpreadsheet(folder.file("x.xlsx"), &warnings);
        if (expected.contains(' ')) {
            QVERIFY(!catalogue);
            QVERIFY2(q(catalogue.reason()).contains(expected), catalogue.reason().c_str());
        } else {
            QVERIFY2(catalogue, catalogue.reason().c_str());
            QCOMPARE(q(catalogue.value()).section("\r\n", 0, 0),
                     q(catalogueLine("1", "2000", "2001", expected.toStdString())).trimmed());
        }
    }

    // Every message names a record by the same number check gives it, whatever rows before it were
    // refused.
    void recordsNumberedAsCheckNumbersThem() {
        const std::string csv = csvHeader() + csvLine("1", "2000", "2005") +
                                csvLine("2", "20x0", "2001", "", "B") + csvLine("3", "2001", "2002") +
                                csvLine("4", "2003", "2004") + csvLine("5", "2006", "2007");
        const Result<std::string> catalogue = catalogueFromCsv(csv, "in.csv");
        QVERIFY(!catalogue);
        const QString reason = q(catalogue.reason());
        QVERIFY2(
            reason.contains("in.csv:4: error: record 3 (VehicleId 3) is never shown: every year from 2001 "
                            "to 2002 already finds record 1"),
            qPrintable(reason));
        QVERIFY2(reason.contains("in.csv:5: error: record 4 (VehicleId 4) is never shown"),
                 qPrintable(reason));
        QVERIFY2(reason.contains("delete the row"), qPrintable(reason));
    }

    // A script's row index in front of the fields is named once, with its remedy.
    void scriptIndexColumnIsNamed_data() {
        QTest::addColumn<QString>("first");
        QTest::newRow("pandas to_csv") << "";
        QTest::newRow("pandas read back") << "Unnamed: 0";
    }
    void scriptIndexColumnIsNamed() {
        QFETCH(QString, first);
        const std::string csv = first.toStdString() + "," + csvHeader() + "0," + csvLine("1", "2000", "2001");
        const Result<std::string> catalogue = catalogueFromCsv(csv, "in.csv");
        QVERIFY(!catalogue);
        QCOMPARE(catalogue.error().count, 1);
        QVERIFY2(q(catalogue.reason())
                     .contains("is a row index that a script added, not a field: write the file "
                               "without it (pandas: index=False)"),
                 catalogue.reason().c_str());
    }

    // import run as a maintainer runs it: what it says, its exit status, and whether the catalogue changed.
    void importSaysWhatItDoes_data() {
        QTest::addColumn<QString>("catalogue"); // the data folder's catalogue before
        QTest::addColumn<QString>("input"); // the file imported: CSV text, or "xlsx:" and a row's part cell
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("said");
        const QString one = q(catalogueLine("1", "2000", "2001") + endRecordLine() + "\r\n");
        const QString oneCsv = q(csvHeader() + csvLine("1", "2000", "2001"));
        QTest::newRow("nothing changes")
            << one << oneCsv << QStringList{} << 0 << false << "Nothing changes: nothing was written to";
        QTest::newRow("lines after the end record")
            << one + "note one\r\n\r\nnote two\r\nnote three\r\n"
            << oneCsv << QStringList{} << 0 << true << "3 lines after the end record are not carried over.";
        QTest::newRow("a record over two lines")
            << q(recordLine("1", "\"A\"", "\"M\"", "\"S\"", "2000", "2001").replace(14, 1, "\r\n") + "\r\n" +
                 endRecordLine() + "\r\n")
            << oneCsv << QStringList{} << 0 << true
            << "Record 1, spread over more than one line, is written on one line.";
        QTest::newRow("de_DE re-save: thousands separator")
            << q(catalogueLine("1", "2000", "2001", "1.600") + endRecordLine() + "\r\n")
            << q(csvHeader() + csvLine("1", "2000", "2001", "1600")) << QStringList{} << 1 << false
            << "record 1, PartCode1: \"1.600\" became \"1600\"";
        QTest::newRow("pandas: NA read as empty")
            << q(catalogueLine("1", "2000", "2001", "NA") + endRecordLine() + "\r\n") << oneCsv
            << QStringList{} << 1 << false << "(missing-value marker read as an empty cell)";
        QTest::newRow("new part code shaped like a date")
            << one
            << q(csvHeader() + csvLine("1", "2000", "2001") + csvLine("2", "2000", "2001", "03/04/2026", "B"))
            << QStringList{} << 0 << true
            << "warning: record 2, PartCode1 \"03/04/2026\" is a part code with neither a picture nor a "
               "description in the data folder, and shaped like a date";
        QTest::newRow("new record's number cell in a workbook")
            << one << "xlsx:<c r=\"H2\"><v>1000</v></c>" << QStringList{} << 1 << false
            << "record 1 (new), PartCode1 \"1000\" is a number cell";
        QTest::newRow("index column") << one << q(",") + q(csvHeader()) + "0," + oneCsv.section("\r\n", 1)
                                      << QStringList{} << 1 << false << "pandas: index=False";
    }
    void importSaysWhatItDoes() {
        QFETCH(QString, catalogue);
        QFETCH(QString, input);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(bool, written);
        QFETCH(QString, said);
        DataFolder folder;
        folder.writeFile("specialty.txt", catalogue.toStdString());
        std::string file = folder.file("in.csv");
        if (input.startsWith("xlsx:")) {
            file = folder.file("in.xlsx");
            folder.remove("specialty.txt");
            writeWorkbook(file, rowWithPart(input.mid(5).toUtf8()));
        } else {
            folder.writeFile("in.csv", input.toStdString());
        }
        const ProgramRun run =
            tool(QStringList{"--data", q(folder.path()), "import"} + options + QStringList{q(file)});
        QVERIFY2((run.out + run.err).contains(said.toUtf8()), (run.out + run.err).constData());
        QCOMPARE(run.status, exitCode);
        QCOMPARE(QFile::exists(q(folder.file("specialty.txt.previous"))) ||
                     (input.startsWith("xlsx:") && QFile::exists(q(folder.file("specialty.txt")))),
                 written);
        if (!written && !input.startsWith("xlsx:"))
            QCOMPARE(contents(folder.file("specialty.txt")), catalogue.toUtf8());
    }

    // Files that are not there or not what the command reads: a reason, and the exit status of an error.
    void wrongInputFiles_data() {
        QTest::addColumn<QStringList>("arguments"); // FOLDER stands for the data folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("missing workbook") << QStringList{"import", "FOLDER/none.xlsx"} << 2
                                          << "cannot read FOLDER/none.xlsx: No such file or directory";
        QTest::newRow("missing CSV") << QStringList{"import", "FOLDER/none.csv"} << 2
                                     << "cannot read FOLDER/none.csv: No such file or directory";
        QTest::newRow("diff of a workbook")
            << QStringList{"diff", "FOLDER/specialty.txt", "FOLDER/book.xlsx"} << 2
            << "FOLDER/book.xlsx is a workbook, not a catalogue: diff compares catalogues; to see what "
               "importing it changes, run import --dry-run FOLDER/book.xlsx";
        QTest::newRow("diff of a workbook by another name")
            << QStringList{"diff", "FOLDER/book.txt", "FOLDER/specialty.txt"} << 2 << "is a workbook";
    }
    void wrongInputFiles() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        DataFolder folder;
        folder.writeFile("specialty.txt", catalogueLine("1", "2000", "2001") + endRecordLine() + "\r\n");
        writeWorkbook(folder.file("book.xlsx"), rowWithPart({}));
        QVERIFY(QFile::copy(q(folder.file("book.xlsx")), q(folder.file("book.txt"))));
        const QString root = q(folder.path()).chopped(1);
        arguments.replaceInStrings("FOLDER", root);
        const ProgramRun run = tool(QStringList{"--data", q(folder.path())} + arguments);
        QCOMPARE(run.status, exitCode);
        QVERIFY2(run.err.contains(QString(said).replace("FOLDER", root).toUtf8()), run.err.constData());
    }
};

QTEST_MAIN(SpreadsheetConversionsTest)
#include "test_spreadsheet_conversions.moc"
