// What import reads and refuses: cells the viewer would misread or never read back, files a spreadsheet
// saved in another form, every fault named with its place and value, workbooks a spreadsheet saved (the
// workbook reader itself: test_workbook_reader.cpp).
#include "test_support.h"

#include "catalogue/record_reader.h"
#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/spreadsheet.h"

#include <QProcess>
#include <QTest>

using namespace specialty;
using namespace specialty::test;

namespace {

const char* const kHeader =
    "VehicleId,SpareField,Make,Model,Submodel,YearFrom,YearTo,PartCode1,PartCode2,"
    "PartCode3,PartCode4,PartCode5,PartCode6,PartCode7,PartCode8,PartCode9,PartCode10,"
    "PartCode11,PartCode12,PartCode13,PartCode14,PartCode15,PartCode16\r\n";

// A CSV row of 23 cells (VehicleId 1, years 2000) with some of them set; `extra` is put after the last.
std::string row(const std::map<int, std::string>& cells, const std::string& extra = "") {
    std::vector<std::string> fields(kRecordFields);
    fields[0] = "1";
    fields[5] = fields[6] = "2000";
    for (const auto& [field, value] : cells)
        fields[static_cast<std::size_t>(field - 1)] = value;
    std::string text = csvRow(fields);
    return text.substr(0, text.size() - 2) + extra + "\r\n";
}

// The records of catalogue text, as the viewer's reader decodes them.
std::vector<CatalogueRecord> readBack(const std::string& catalogue) {
    DataFolder folder;
    folder.writeFile("specialty.txt", catalogue);
    std::vector<CatalogueRecord> all;
    RecordReader file;
    if (!file.open(folder.file("specialty.txt"))) return all;
    RawRecord raw;
    while (!file.atEnd() && file.readRecord(raw) == RecordReader::Read::Record && raw[kVehicleId] != "0")
        all.push_back(decodeRecord(raw));
    return all;
}

} // namespace

class SpreadsheetImportTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void refusesWhatTheViewerWouldMisread_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("fault");
        const std::string ok = kHeader + row({});
        auto with = [&](const std::map<int, std::string>& cells, const std::string& extra = "") {
            return QByteArray::fromStdString(ok + row(cells, extra));
        };
        QTest::newRow("cell over the reader's 64 KB")
            << with({{kSpareField, std::string(70000, 'x')}})
            << "CSV:3:2: error: SpareField holds 70000 bytes, more than the 65536 the viewer keeps of a "
               "field: the "
               "rest would be lost, so the record would not read back as written";
        QTest::newRow("UTF-8 read as Windows-1252")
            << with({{kMake, "V\xC3\x83\xC2\xA9lomar"}})
            << "CSV:3:3: error: Make \"V\xC3\x83\xC2\xA9lomar\" is UTF-8 text that was read as Windows-1252 "
               "(meant: \"V\xC3\xA9lomar\")";
        QTest::newRow("no-break space ending a Make")
            << with({{kMake, "Tarsa\xC2\xA0"}})
            << "CSV:3:3: error: Make \"Tarsa\xC2\xA0\" holds a no-break space";
        QTest::newRow("tab inside a Model")
            << with({{kModel, "GT\tLine"}})
            << "CSV:3:4: error: Model \"GT\\x09Line\" holds the control character 09";
        QTest::newRow("blank starting a Submodel")
            << with({{kSubmodel, " LX"}}) << "CSV:3:5: error: Submodel \" LX\" begins or ends with a blank";
        QTest::newRow("Make of 15")
            << with({{kMake, "ABCDEFGHIJKLMNO"}})
            << "CSV:3:3: error: Make \"ABCDEFGHIJKLMNO\" is longer than 14 characters";
        QTest::newRow("Model of 22") << with({{kModel, std::string(22, 'm')}})
                                     << "is longer than 21 characters";
        QTest::newRow("Submodel of 32")
            << with({{kSubmodel, std::string(32, 's')}}) << "is longer than 31 characters";
        QTest::newRow("years the wrong way round")
            << with({{kYearFrom, "2001"}}) << "CSV:3:6: error: the record runs from 2001 to 2000";
        QTest::newRow("stray cell beyond the 23")
            << with({}, ",zz") << "CSV:3:24: error: a cell \"zz\" beyond the 23 columns";
        QTest::newRow("Windows-1252")
            << with({{kMake, "V\xE9lomar"}})
            << "CSV:3:3: error: Make \"V\xC3\xA9lomar\" is not UTF-8: the file was saved as Windows-1252";
        QTest::newRow("semicolons") << QByteArray(kHeader).replace(',', ';')
                                    << "CSV:1:1: error: the cells are separated by semicolons";
        QTest::newRow("tabs") << QByteArray(kHeader).replace(',', '\t')
                              << "CSV:1:1: error: the cells are separated by tabs";
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFEV\0e\0", 6) << "CSV:1: error: the file is UTF-16 text";
        QTest::newRow("byte order mark read as Windows-1252")
            << QByteArray("\xC3\xAF\xC2\xBB\xC2\xBF") + kHeader
            << "CSV:1:1: error: VehicleId \"\xC3\xAF\xC2\xBB\xC2\xBFVehicleId\" is UTF-8 text that was read "
               "as";
        QTest::newRow("no record") << QByteArray(kHeader) << "CSV: error: the file holds no record";
    }

    void refusesWhatTheViewerWouldMisread() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, fault);
        Result<std::string> catalogue = catalogueFromCsv(csv.toStdString());
        QVERIFY(!catalogue);
        QVERIFY2(QString::fromStdString(catalogue.reason()).contains(fault), catalogue.reason().c_str());
    }

    void everyFaultIsNamedUpToALimit() {
        std::string csv = kHeader;
        for (int i = 0; i < 60; ++i)
            csv += row({{kMake, "Big \"A\""}});
        Result<std::string> catalogue = catalogueFromCsv(csv, "in.csv");
        QVERIFY(!catalogue);
        const QStringList lines = QString::fromStdString(catalogue.reason()).split('\n');
        QCOMPARE(lines.size(), 51);
        QVERIFY(lines[0].startsWith("in.csv:2:3: error: Make \"Big \"A\"\" holds a double quote"));
        QVERIFY(lines[49].startsWith("in.csv:51:3: error: "));
        QCOMPARE(lines[50], QString("and 10 more"));
    }

    void guardedCellsComeBackExactly_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("stored");
        QTest::newRow("formula") << "'=1+2"
                                 << "=1+2";
        QTest::newRow("plus") << "'+4"
                              << "+4";
        QTest::newRow("minus") << "'-x"
                               << "-x";
        QTest::newRow("at") << "'@SUM(1+1)"
                            << "@SUM(1+1)";
        QTest::newRow("apostrophe") << "''a"
                                    << "'a";
        QTest::newRow("apostrophe before a letter") << "'a"
                                                    << "'a";
        QTest::newRow("apostrophe alone") << "'"
                                          << "'";
    }

    void guardedCellsComeBackExactly() {
        QFETCH(QString, cell);
        QFETCH(QString, stored);
        Result<std::string> catalogue = catalogueFromCsv(kHeader + row({{kPartCode1, cell.toStdString()}}));
        QVERIFY2(catalogue, catalogue.reason().c_str());
        const std::vector<CatalogueRecord> records = readBack(catalogue.value());
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(records[0].partCode(1)), stored);
    }

    void longestFieldsReadBack() {
        const std::map<int, std::string> cells{{kSpareField, std::string(65536, 's')},
                                               {kMake, "\xC3\xA9" + std::string(13, 'M')},
                                               {kModel, std::string(21, 'm')},
                                               {kSubmodel, std::string(31, 'b')}};
        Result<std::string> catalogue = catalogueFromCsv(kHeader + row(cells));
        QVERIFY2(catalogue, catalogue.reason().c_str());
        const std::vector<CatalogueRecord> records = readBack(catalogue.value());
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(records[0].SpareField.size(), std::size_t(65536));
        QCOMPARE(records[0].Make, "\xE9" + std::string(13, 'M'));
        QCOMPARE(records[0].Submodel, std::string(31, 'b'));
    }

    void vehicleIdUsedTwiceIsAWarning() {
        std::vector<std::string> warnings;
        Result<std::string> catalogue =
            catalogueFromCsv(kHeader + row({{kVehicleId, "7"}}) + row({{kVehicleId, "8"}, {kMake, "A"}}) +
                                 row({{kVehicleId, "7"}, {kMake, "B"}}),
                             "in.csv", &warnings);
        QVERIFY2(catalogue, catalogue.reason().c_str());
        QCOMPARE(readBack(catalogue.value()).size(), std::size_t(3));
        QCOMPARE(warnings,
                 std::vector<std::string>{"in.csv:4:1: warning: VehicleId \"7\" is also used on line 2"});
    }

    // The spreadsheet itself writes the workbook from a CSV file, then saves it again: both read back as
    // the CSV does.
    void workbooksTheSpreadsheetSavedComeBack() {
        DataFolder folder;
        const std::string csv = kHeader +
                                row({{kMake, "V\xC3\xA9lomar"}, {kModel, "\xC3\x89toile 16\" GT"}}) +
                                row({{kVehicleId, "A7"}, {kPartCode1, "AC1001"}, {kRecordFields, "ZX"}});
        folder.writeFile("in.csv", csv);
        Result<std::string> expected = catalogueFromCsv(csv);
        QVERIFY2(expected, expected.reason().c_str());
        const QString dir = QString::fromStdString(folder.path());
        for (const QString& step : {QString("in.csv"), QString("first/in.xlsx")}) {
            QProcess office;
            office.start("soffice", {"--headless", "-env:UserInstallation=file://" + dir + "/profile",
                                     "--infilter=CSV:44,34,76,1", "--convert-to", "xlsx", "--outdir",
                                     dir + (step == "in.csv" ? "/first" : "/again"), dir + "/" + step});
            QVERIFY(office.waitForFinished(120000));
        }
        for (const char* saved : {"first/in.xlsx", "again/in.xlsx"}) {
            Result<std::string> catalogue = catalogueFromSpreadsheet(folder.file(saved));
            QVERIFY2(catalogue, catalogue.reason().c_str());
            QCOMPARE(catalogue.value(), expected.value());
        }
    }
};

QTEST_MAIN(SpreadsheetImportTest)
#include "test_spreadsheet_import.moc"
