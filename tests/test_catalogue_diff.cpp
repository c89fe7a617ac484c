// Comparing catalogues: which record is which, which changed cells a spreadsheet made, and what diff and
// import print and do with them.
#include "test_support.h"

#include "tools/spreadsheet/conversion_guard.h"
#include "tools/spreadsheet/record_alignment.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <sstream>

using namespace specialty;
using namespace specialty::test;

namespace {

IdList idsOf(const std::string& words) {
    IdList ids;
    std::istringstream in(words);
    for (std::string id; in >> id;)
        ids.add(id);
    return ids;
}

// For each new record: "+" added, "N" old record N in place, "N~" old record N moved; then "-N" for each
// old record N removed.
std::string pairing(const Alignment& a) {
    std::string text;
    for (std::size_t n = 0; n < a.oldOfNew.size(); ++n) {
        if (!text.empty()) text += ' ';
        if (a.oldOfNew[n] == kNoRecord)
            text += '+';
        else
            text += std::to_string(a.oldOfNew[n]) + (a.inPlace[n] ? "" : "~");
    }
    for (std::size_t o = 0; o < a.oldPaired.size(); ++o)
        if (!a.oldPaired[o]) text += (text.empty() ? "-" : " -") + std::to_string(o);
    return text;
}

std::string headerRow() {
    std::string row;
    for (int f = 1; f <= kRecordFields; ++f)
        row += (f > 1 ? "," : "") + fieldName(f);
    return row + "\r\n";
}

// A CSV row: VehicleId, Make, and PartCode1.
std::string csvRow(const std::string& id, const std::string& make, const std::string& part) {
    return id + ",," + make + ",M,S,2000,2001," + part + std::string(15, ',') + "\r\n";
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments) {
    QProcess tool;
    tool.start(SPECIALTY_TOOL, arguments);
    Run run;
    if (!tool.waitForFinished()) return run;
    run.exitCode = tool.exitCode();
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

std::string fileText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

} // namespace

class CatalogueDiffTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void conversions_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("named"); // a word of what the spreadsheet did; empty for an edit
        const char* rows[][3] = {
            {"0123", "123", "zeros"},
            {"00", "0", "zeros"},
            {"0012", "12", "zeros"},
            {"1E5", "100000", "exponent"},
            {"0001E2", "100", "exponent"},
            {"12345678901234567", "1.23456789012346E+016", "exponent"},
            {"123456789012345678", "123456789012346000", "rounded"},
            {"1.10", "1.1", "decimal"},
            {"2.0", "2", "decimal"},
            {"7", "7.00", "decimal"},
            {"+4", "4", "sign"},
            {"-0", "0", "sign"},
            {"1.5E-3", "1.50E-03", "decimal"},
            {"3/4", "03/04/26", "date"},
            {"3-4", "4-Mar", "date"},
            {"4 Mar", "04-Mar-26", "date"},
            {"2026-03-04", "03/04/26", "date"},
            {"1:30", "01:30:00", "time"},
            // other languages' forms (a CSV file saved again under de_DE, fr_FR, en_US)
            {"1.600", "1600", "thousands separator \".\""},
            {"4.250", "4250", "thousands separator \".\""},
            {"0,50", "0,5", "decimal part shortened, read with decimal comma"},
            {"1e-3", "0,001", "decimal comma"},
            {"12345678901234567", "1,23456789012346E+016",
             "rounded into exponent form, read with decimal comma"},
            {"1 000", "1000", "thousands separator \" \""},
            {"1\xC2\xA0"
             "000",
             "1000", "no-break space"},
            {"1,234", "1234", "thousands separator \",\""},
            {"50%", "0.5", "percent sign"},
            {"\xE2\x82\xAC"
             "5",
             "5", "currency sign"},
            // scripts: separators and signs dropped, missing-value markers
            {"1,5", "15", "separators or signs dropped"},
            {"NA", "", "missing-value marker read as an empty cell"},
            {"n/a", "", "missing-value marker"},
            {"null", "", "missing-value marker"},
            {"", "NaN", "empty cell written as a missing-value marker"},
            {"", "None", "missing-value marker"},
            // edits
            {"AC1001", "AC1002", ""},
            {"123", "124", ""},
            {"0123", "0124", ""},
            {"2.0", "2.5", ""},
            {"1E5", "1E6", ""},
            {"", "0123", ""},
            {"0123", "", ""},
            {"3/4", "3/5", ""},
            {"03/04/26", "03/04/27", ""},
            {"2.0 GL", "2", ""},
            {"Estate 4WD", "Estate 5WD", ""},
            {"1998", "1999", ""},
            {"12", "120", ""},
            {"AC3/4", "03/04/26", ""},
            {"1E999999999999999999999", "1E5", ""},
            {"1,5", "2,5", ""},
            {"1.600", "1700", ""},
            {"1 000", "100", ""},
            {"50%", "0.05", ""},
            {"NA", "NB", ""},
            {"A1,5", "A15", ""},
            {"", "nanometre", ""},
        };
        for (const auto& row : rows)
            QTest::addRow("%s -> %s", row[0], row[1]) << row[0] << row[1] << row[2];
    }
    void conversions() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, named);
        const std::optional<std::string> found =
            spreadsheetConversion(before.toStdString(), after.toStdString());
        if (named.isEmpty()) {
            QVERIFY2(!found, found ? found->c_str() : "");
            return;
        }
        QVERIFY(found);
        QVERIFY2(QString::fromStdString(*found).contains(named), found->c_str());
    }

    void alignment_data() {
        QTest::addColumn<QString>("olds");
        QTest::addColumn<QString>("news");
        QTest::addColumn<QString>("expected");
        QTest::newRow("identical") << "a b c"
                                   << "a b c"
                                   << "0 1 2";
        QTest::newRow("a record inserted first") << "a b c"
                                                 << "x a b c"
                                                 << "+ 0 1 2";
        QTest::newRow("a record removed") << "a b c"
                                          << "a c"
                                          << "0 2 -1";
        QTest::newRow("duplicates in order") << "a a b"
                                             << "a b a"
                                             << "0 2~ 1";
        QTest::newRow("two swapped") << "a b"
                                     << "b a"
                                     << "1~ 0";
        QTest::newRow("reversed") << "a b c d"
                                  << "d c b a"
                                  << "3~ 2~ 1~ 0";
        QTest::newRow("an id edited, same record") << "a b c"
                                                   << "a B c"
                                                   << "0 1 2";
        QTest::newRow("an id replaced") << "a b c"
                                        << "a x c"
                                        << "0 + 2 -1";
        QTest::newRow("every id edited") << "a b c"
                                         << "A B C"
                                         << "0 1 2";
        QTest::newRow("sorted, and ids lost their zeros") << "0b 0a"
                                                          << "a b"
                                                          << "1~ 0";
        QTest::newRow("out of order and edited beyond pairing") << "a b"
                                                                << "B A"
                                                                << "+ 0 -1";
        QTest::newRow("a block removed, the rest reversed, one edited") << "p a b c Q"
                                                                        << "c b a q"
                                                                        << "3~ 2~ 1 4 -0";
        QTest::newRow("edited records found past moved ones") << "z p a b y"
                                                              << "z b P a y"
                                                              << "0 3~ 1 2 4";
        QTest::newRow("into nothing") << "a b"
                                      << ""
                                      << "-0 -1";
        QTest::newRow("from nothing") << ""
                                      << "a b"
                                      << "+ +";
    }
    void alignment() {
        QFETCH(QString, olds);
        QFETCH(QString, news);
        QFETCH(QString, expected);
        const IdList oldIds = idsOf(olds.toStdString());
        const IdList newIds = idsOf(news.toStdString());
        // Ids alike but for leading zeros have the same loose key; records whose ids differ only in the
        // letters' case are the same record (as if their vehicle names agreed).
        const auto loose = [](std::string_view id) {
            const std::size_t first = id.find_first_not_of('0');
            return std::string(first == std::string_view::npos ? id.substr(id.size()) : id.substr(first));
        };
        const Alignment a = alignRecords(oldIds, newIds, loose, [&](std::uint32_t o, std::uint32_t n) {
            return QString::fromStdString(std::string(oldIds[o]))
                       .compare(QString::fromStdString(std::string(newIds[n])), Qt::CaseInsensitive) == 0;
        });
        QCOMPARE(QString::fromStdString(pairing(a)), expected);
    }

    void diffReportsEachChange() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "M", "", "2000", "2001"),
                               recordLine("2", "B", "M", "", "2000", "2001"),
                               recordLine("3", "C", "M", "", "2000", "2001"), endRecordLine()});
        const std::string before = folder.file("specialty.txt");
        folder.writeFile("new.txt", recordLine("9", "N", "M", "", "2000", "2001") + "\r\n" +
                                        recordLine("1", "A", "M", "", "2000", "2001") + "\r\n" +
                                        recordLine("2", "Bee", "M", "", "2000", "2001") + "\r\n" +
                                        endRecordLine() + "\r\n");
        const QString oldPath = QString::fromStdString(before);
        const QString newPath = QString::fromStdString(folder.file("new.txt"));
        const Run run = runTool({"diff", oldPath, newPath});
        QCOMPARE(run.exitCode, 1);
        const QStringList lines = run.out.split('\n');
        QVERIFY2(lines.contains("added record 1, VehicleId \"9\": \"N\" / \"M\" / \"\" 2000-2001"),
                 qPrintable(run.out));
        QVERIFY2(lines.contains("changed record 3 (was record 2), VehicleId \"2\":"), qPrintable(run.out));
        QVERIFY2(lines.contains("    Make: \"B\" -> \"Bee\""), qPrintable(run.out));
        QVERIFY2(lines.contains("removed old record 3, VehicleId \"3\": \"C\" / \"M\" / \"\" 2000-2001"),
                 qPrintable(run.out));
        QCOMPARE(run.out.count("changed record"), 1); // record 1 only moved down: no change

        const Run json = runTool({"--json", "diff", oldPath, newPath});
        const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
        QCOMPARE(document["outcome"].toString(), QString("different"));
        QCOMPARE(document["changed"].toInt(), 1);
        QCOMPARE(document["added"].toInt(), 1);
        QCOMPARE(document["removed"].toInt(), 1);

        QCOMPARE(runTool({"diff", oldPath, oldPath}).exitCode, 0);
        QCOMPARE(runTool({"diff", oldPath, newPath + ".missing"}).exitCode, 2);
    }

    void importLooksBeforeItWrites_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("part"); // PartCode1 of record 2 in the CSV; the catalogue holds 0123
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("said"); // on standard output or standard error
        QTest::newRow("conversion refused")
            << QStringList{} << "123" << 1 << false << "record 2, PartCode1: \"0123\" became \"123\"";
        QTest::newRow("conversion taken on purpose")
            << QStringList{"--accept-conversions"} << "123" << 0 << true << "PartCode1: \"0123\" -> \"123\"";
        QTest::newRow("an edit") << QStringList{} << "0124" << 0 << true << "PartCode1: \"0123\" -> \"0124\"";
        QTest::newRow("a dry run") << QStringList{"--dry-run"} << "0124" << 0 << false
                                   << "PartCode1: \"0123\" -> \"0124\"";
        QTest::newRow("a dry run of a conversion") << QStringList{"--dry-run"} << "123" << 1 << false
                                                   << "record 2, PartCode1: \"0123\" became \"123\"";
    }
    void importLooksBeforeItWrites() {
        QFETCH(QStringList, options);
        QFETCH(QString, part);
        QFETCH(int, exitCode);
        QFETCH(bool, written);
        QFETCH(QString, said);
        DataFolder folder;
        const std::string old = recordLine("1", "\"A\"", "\"M\"", "\"S\"", "2000", "2001") + "\r\n" +
                                recordLine("2", "\"B\"", "\"M\"", "\"S\"", "2000", "2001", {{1, "0123"}}) +
                                "\r\n" + endRecordLine() + "\r\n";
        folder.writeFile("specialty.txt", old);
        folder.writeFile("in.csv", headerRow() + csvRow("1", "A", "") + csvRow("2", "B", part.toStdString()));
        const Run run = runTool(QStringList{"--data", QString::fromStdString(folder.path()), "import"} +
                                options + QStringList{QString::fromStdString(folder.file("in.csv"))});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((run.out + run.err).contains(said), qPrintable(run.out + run.err));
        const std::string now = fileText(folder.file("specialty.txt"));
        QCOMPARE(now != old, written);
        // No leftovers: the catalogue and the CSV, and after a write the catalogue it replaced.
        QCOMPARE(QDir(QString::fromStdString(folder.path())).entryList(QDir::Files).size(), written ? 3 : 2);
    }
};

QTEST_MAIN(CatalogueDiffTest)
#include "test_catalogue_diff.moc"
