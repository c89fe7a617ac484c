// The round trip through a spreadsheet: export, import, and the catalogue comes back record for record; what
// cannot come back is refused with its line and column, and nothing is written.
#include "test_support.h"

#include "catalogue/record_reader.h"
#include "tools/check/catalogue_check.h"
#include "tools/spreadsheet/csv_table.h"
#include "tools/spreadsheet/spreadsheet.h"

#include <QProcess>
#include <QTest>

#include <random>

using namespace specialty;
using namespace specialty::test;

namespace {

// Every record up to the end record, as the viewer decodes them.
std::vector<CatalogueRecord> records(const std::string& catalogue) {
    std::vector<CatalogueRecord> all;
    RecordReader file;
    if (!file.open(catalogue)) return all;
    RawRecord raw;
    while (!file.atEnd() && file.readRecord(raw) == RecordReader::Read::Record && raw[kVehicleId] != "0")
        all.push_back(decodeRecord(raw));
    return all;
}

// A catalogue of random records whose fields hold what maintainers write: accented letters, commas,
// blanks inside, and "*" in names where the star rule reads them.
std::string randomCatalogue(std::mt19937& random, int count) {
    const std::string letters = "abcXYZ09 -,./*\xE9\xFC\xD6"; // no two high letters make UTF-8
    auto text = [&](int most, bool stars) {
        std::string t;
        const int length = static_cast<int>(random() % static_cast<unsigned>(most + 1));
        for (int i = 0; i < length; ++i) {
            char c = letters[random() % letters.size()];
            if (c == '*' && !stars) c = 'q';
            t += c;
        }
        return t;
    };
    // A name without blanks at its ends, which no selection could match.
    auto quoted = [](std::string t) {
        while (!t.empty() && t.back() == ' ')
            t.pop_back();
        while (!t.empty() && t.front() == ' ')
            t.erase(0, 1);
        return "\"" + t + "\"";
    };
    std::string catalogue;
    for (int r = 0; r < count; ++r) {
        const std::string from = std::to_string(1990 + random() % 30);
        catalogue += std::to_string(1000 + r) + ",," + quoted(text(14, false)) + "," +
                     quoted(text(21, true)) + "," + quoted(text(31, true)) + "," + from + "," +
                     std::to_string(std::stoi(from) + static_cast<int>(random() % 10));
        for (int p = 0; p < kPartCodes; ++p)
            catalogue += "," + (random() % 3 == 0 ? quoted(text(8, true)) : std::string());
        catalogue += "\r\n";
    }
    return catalogue + endRecordLine() + "\r\n";
}

std::string header() {
    std::vector<std::string> names;
    for (int f = 1; f <= kRecordFields; ++f)
        names.push_back(fieldName(f));
    return csvRow(names);
}

// A CSV row of 23 cells with some of them set.
std::string row(const std::map<int, std::string>& cells) {
    std::vector<std::string> fields(kRecordFields);
    fields[0] = "1";
    fields[5] = fields[6] = "2000";
    for (const auto& [field, value] : cells)
        fields[static_cast<std::size_t>(field - 1)] = value;
    return csvRow(fields);
}

} // namespace

class SpreadsheetTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void sampleComesBackRecordForRecord() {
        const std::string sample = std::string(SPECIALTY_SAMPLE_FOLDER) + "specialty.txt";
        Result<std::string> csv = exportCsv(sample);
        QVERIFY(csv);
        QVERIFY(csv.value().find("Kestrel 16\"\" Wheel") != std::string::npos); // decoded, then CSV-quoted
        Result<std::string> catalogue = catalogueFromCsv(csv.value());
        QVERIFY2(catalogue, catalogue.reason().c_str());
        DataFolder folder;
        folder.writeFile("specialty.txt", catalogue.value());
        const std::vector<CatalogueRecord> before = records(sample);
        QCOMPARE(before.size(), std::size_t(13));
        QVERIFY(records(folder.file("specialty.txt")) == before);
        // What import writes passes check without an error.
        QCOMPARE(checkCatalogue(folder.path(), everyPictureShowsWhole).errors, 0);
    }

    void randomCataloguesComeBackRecordForRecord() {
        std::mt19937 random(7);
        DataFolder folder;
        for (int round = 0; round < 200; ++round) {
            folder.writeFile("specialty.txt", randomCatalogue(random, 1 + round % 20));
            const std::vector<CatalogueRecord> before = records(folder.file("specialty.txt"));
            QCOMPARE(before.size(), std::size_t(1 + round % 20));
            Result<std::string> csv = exportCsv(folder.file("specialty.txt"));
            QVERIFY(csv);
            Result<std::string> catalogue = catalogueFromCsv(csv.value());
            QVERIFY2(catalogue,
                     qPrintable(QString("round %1: %2").arg(round).arg(catalogue.reason().c_str())));
            folder.writeFile("again.txt", catalogue.value());
            QVERIFY2(records(folder.file("again.txt")) == before, qPrintable(QString("round %1").arg(round)));
        }
    }

    void whatCannotComeBackIsRefusedWithItsPlace_data() {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("reason");
        const QString ok = QString::fromStdString(header() + row({}));
        auto with = [&](const std::map<int, std::string>& cells) {
            return ok + QString::fromStdString(row(cells));
        };
        QTest::newRow("outside Windows-1252")
            << with({{kModel, "\xCE\xA9mega"}})
            << "CSV:3:4: error: Model \"\xCE\xA9mega\": character 1 (U+03A9)";
        QTest::newRow("quote in Make")
            << with({{kMake, "Big \"A\""}}) << "CSV:3:3: error: Make \"Big \"A\"\" holds a double quote";
        QTest::newRow("second quote in Model") << with({{kModel, "16\" x 7\""}})
                                               << "CSV:3:4: error: Model \"16\" x 7\"\" holds a double quote "
                                                  "that the star rule will not restore";
        QTest::newRow("literal star in Model")
            << with({{kModel, "4*4"}}) << "CSV:3:4: error: Model \"4*4\" holds a literal *";
        QTest::newRow("literal star before a quote")
            << with({{kSubmodel, "a*b\"c\""}}) << "CSV:3:5: error: Submodel \"a*b\"c\"\" holds a literal *";
        QTest::newRow("third quote in Submodel") << with({{kSubmodel, "a\"b\"c\""}})
                                                 << "CSV:3:5: error: Submodel \"a\"b\"c\"\" holds a double "
                                                    "quote that the star rule will not restore";
        QTest::newRow("year with a fraction")
            << with({{kYearFrom, "2000.5"}})
            << "CSV:3:6: error: YearFrom \"2000.5\" is a year that is not a whole number";
        QTest::newRow("too few columns") << ok + "1,,A,B\r\n"
                                         << "CSV:3: error: 4 cells, not 23";
        QTest::newRow("end record inside")
            << with({{kVehicleId, "0"}}) << "CSV:3:1: error: VehicleId \"0\", which would end";
        QTest::newRow("line break in a cell")
            << with({{kMake, "two\nlines"}}) << "CSV:3:3: error: a line break inside Make \"two\\x0Alines\"";
        QTest::newRow("no header")
            << QString::fromStdString(row({}))
            << "CSV:1:1: error: the first row holds \"1\" where it must name the field VehicleId";
        QTest::newRow("quote that never closes")
            << ok + "1,\"open"
            << "CSV:3:2: error: a quoted cell begins here and never closes";
    }

    void whatCannotComeBackIsRefusedWithItsPlace() {
        QFETCH(QString, csv);
        QFETCH(QString, reason);
        Result<std::string> catalogue = catalogueFromCsv(csv.toStdString());
        QVERIFY(!catalogue);
        QVERIFY2(QString::fromStdString(catalogue.reason()).startsWith(reason), catalogue.reason().c_str());
    }

    void linesAreCountedPastACellThatSpansLines() {
        // Line 3 holds a cell that goes on to line 4, so the next row begins on line 5.
        const std::string csv =
            header() + row({}) + row({{kMake, "two\nlines"}}) + row({{kYearFrom, "2000.5"}});
        Result<std::string> catalogue = catalogueFromCsv(csv);
        QVERIFY(!catalogue);
        QVERIFY2(catalogue.reason().find("CSV:5:6: error: YearFrom \"2000.5\"") != std::string::npos,
                 catalogue.reason().c_str());
    }

    void quotesTheStarRuleRestoresAreKept() {
        const std::string csv =
            header() + row({{kModel, "Kestrel 16\" Wheel"}, {kSubmodel, "LX 2\"4\" Cab*"}});
        Result<std::string> catalogue = catalogueFromCsv(csv);
        QVERIFY2(catalogue, catalogue.reason().c_str());
        QVERIFY(catalogue.value().find("\"Kestrel 16* Wheel\",\"LX 2*4* Cab*\"") != std::string::npos);
    }

    void refusedImportWritesNothing() {
        DataFolder folder;
        const std::string old =
            recordLine("1", "A", "B", "", "2000", "2001") + "\r\n" + endRecordLine() + "\r\n";
        folder.writeFile("specialty.txt", old);
        folder.writeFile("in.csv", header() + row({{kMake, "Big \"A\""}}));
        QProcess tool;
        tool.start(SPECIALTY_TOOL, {"--data", QString::fromStdString(folder.path()), "import",
                                    QString::fromStdString(folder.file("in.csv"))});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains(
            "in.csv:2:3: error: Make \"Big \"A\"\" holds a double quote"));
        QFile catalogue(QString::fromStdString(folder.file("specialty.txt")));
        QVERIFY(catalogue.open(QIODevice::ReadOnly));
        QCOMPARE(catalogue.readAll().toStdString(), old);
        QCOMPARE(QDir(QString::fromStdString(folder.path())).entryList(QDir::Files).size(),
                 2); // no leftovers
    }

    void atomicWriteReplacesWholeOrNotAtAll() {
        DataFolder folder;
        folder.writeFile("specialty.txt", "old");
        QVERIFY(writeOutputFile(folder.file("specialty.txt"), "new"));
        QFile written(QString::fromStdString(folder.file("specialty.txt")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("new"));
        const Status failed = writeOutputFile(folder.file("missing/specialty.txt"), "new");
        QVERIFY(!failed);
        QVERIFY(failed.reason().find("missing/specialty.txt") != std::string::npos);
    }
};

QTEST_MAIN(SpreadsheetTest)
#include "test_spreadsheet.moc"
