// check going on after damage as a compiler goes on after a syntax error, records no selection can find,
// and the tool's words for damage, counts and --json.
#include "tool_test_support.h"

#include "catalogue/messages.h"
#include "tools/check/catalogue_check.h"
#include "tools/check/record_coverage.h"
#include "tools/check/string_set.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <array>
#include <map>
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace specialty;
using namespace specialty::test;

namespace {

using Run = ProgramRun;
std::string code(int n) {
    return "C" + std::to_string(n);
}

} // namespace

class CheckRecoveryTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void oneRunFindsEveryMistakeAfterAShift() {
        // 2,000 sound records sharing a part whose files exist, and four planted mistakes.
        DataFolder folder;
        folder.writePicture("C1", Qt::red, QSize(8, 8));
        folder.writeDescription("C1", "text\r\n");
        folder.writeDescription("C1500", "text\r\n");
        std::vector<std::string> lines;
        for (int n = 1; n <= 2000; ++n) {
            const std::map<int, std::string> part{{1, n == 1500 ? code(n) : code(1)}};
            std::string line =
                recordLine(std::to_string(n), "Make" + std::to_string(n), "M", "S", "2000", "2005", part);
            if (n == 500) line.pop_back(); // 22 fields
            if (n == 1000)                 // the vehicle of line 10, again
                line = recordLine("1000", "Make10", "M", "S", "2001", "2002", part);
            if (n == 2000) line = recordLine("2000", "Make2000", "M", "S", "2009", "2001", part);
            lines.push_back(line);
        }
        lines.push_back(endRecordLine());
        folder.writeCatalogue(lines);
        const CheckReport report = checkCatalogue(folder.path(), everyPictureShowsWhole);
        const QStringList found = findingLines(report);
        struct Expected {
            const char* start;
            const char* part;
        };
        const Expected expected[] = {
            {"error 500: ",
             "line 500 holds 22 fields, not 23: the records from record 500 on are read shifted"},
            {"error 1000: ",
             "after the shift at line 500, as line 1000 reads: record 1000 (VehicleId 1000) is "
             "never shown: every year from 2001 to 2002 already finds record 10 (line 10)"},
            {"warning 1500: ", "after the shift at line 500, as line 1500 reads: part code \"C1500\" (first "
                               "used by record 1500) has no picture file C1500ill.jpg"},
            {"error 2000: ", "after the shift at line 500, as line 2000 reads: record 2000 runs from 2009 to "
                             "2001"},
        };
        for (const Expected& e : expected) {
            bool seen = false;
            for (const QString& f : found)
                seen = seen || (f.startsWith(e.start) && f.contains(e.part));
            QVERIFY2(seen, qPrintable(e.part + QString("\n") + found.join('\n')));
        }
        QCOMPARE(report.errors, 3);
        const std::string unjudged = report.unjudged ? describe(*report.unjudged) : std::string();
        QVERIFY2(unjudged.find("1 line could not be judged (the first is line 500)") != std::string::npos,
                 unjudged.c_str());
    }

    // The VehicleIds check keeps fill their set at 196,608 seven-digit ids (each kept in its entry, the
    // slots three quarters full); after that, a new id is not judged, but one the set holds is still found
    // again.
    void repeatsOfHeldVehicleIdsAreFoundAfterTheSetFills_data() {
        QTest::addColumn<int>("again");  // the record whose VehicleId the last record repeats
        QTest::addColumn<bool>("found"); // whether the set holds it
        QTest::newRow("the first record's") << 1 << true;
        QTest::newRow("the last held record's") << 196608 << true;
        QTest::newRow("the first record not held") << 196609 << false;
    }
    void repeatsOfHeldVehicleIdsAreFoundAfterTheSetFills() {
        QFETCH(int, again);
        QFETCH(bool, found);
        constexpr int kDistinct = 200000;
        DataFolder folder;
        std::string catalogue;
        auto id = [](int record) { return std::to_string(1000000 + record); };
        for (int n = 1; n <= kDistinct; ++n)
            catalogue += recordLine(id(n), "M", "M" + std::to_string(n), "S", "2000", "2005") + "\r\n";
        catalogue +=
            recordLine(id(again), "M", "Again", "S", "2000", "2005") + "\r\n" + endRecordLine() + "\r\n";
        folder.writeFile("specialty.txt", catalogue);
        const CheckReport report = checkCatalogue(folder.path(), everyPictureShowsWhole);
        const QString repeat =
            QString("warning %1: VehicleId \"%2\" of record %1 is already that of record %3 (line %3)")
                .arg(kDistinct + 1)
                .arg(QString::fromStdString(id(again)))
                .arg(again);
        QStringList expected{
            "warning 196609: the catalogue uses too many different VehicleIds to check them all for repeats"};
        if (found) expected << repeat;
        QStringList seen;
        for (const QString& line : findingLines(report))
            if (line.contains("VehicleId")) seen << line.left(expected.value(seen.size()).size());
        QCOMPARE(seen, expected);
    }

    void vehiclesListedAgainAreKnownAfterTheirKeptNamesMakeRoom_data() {
        QTest::addColumn<int>("others"); // vehicles first listed after the others' second records
        QTest::newRow("the table has room") << 1000;
        QTest::newRow("the table takes the kept names' room") << 150000;
    }
    void vehiclesListedAgainAreKnownAfterTheirKeptNamesMakeRoom() {
        // 20,000 vehicles listed twice have their names kept in memory, past the room kept for that alone;
        // vehicles first listed after them need that room. A third record of each of the 20,000 must still
        // be found to repeat its first.
        QFETCH(int, others);
        constexpr int kListed = 20000;
        std::string text;
        std::vector<RecordCoverage::NameOffsets> at;
        std::vector<std::array<std::string, 3>> names;
        auto line = [&](const std::string& make, const std::string& model, const std::string& submodel) {
            at.push_back(
                {text.size(), text.size() + make.size() + 1, text.size() + make.size() + model.size() + 2});
            text += make + "," + model + "," + submodel + "\r\n";
            names.push_back({make, model, submodel});
        };
        for (int i = 0; i < kListed; ++i)
            line("Aldena", "Tarsa " + std::to_string(i), "GT");
        for (int i = 0; i < others; ++i)
            line("Other", "Model " + std::to_string(i), "");
        DataFolder folder;
        folder.writeFile("specialty.txt", text);
        RecordCoverage coverage(folder.file("specialty.txt"), 4 * 1024 * 1024);
        std::int64_t position = 0;
        auto add = [&](std::size_t vehicle) {
            RawRecord record;
            for (int field : {kMake, kModel, kSubmodel})
                record.field[field - 1] = names[vehicle][field - kMake];
            const std::int64_t p = position++;
            return coverage.add(record, 2000, 2001, p, std::uint64_t(p) + 1, &at[vehicle]);
        };
        int wrong = 0;
        for (int pass = 0; pass < 2; ++pass)
            for (int i = 0; i < kListed; ++i)
                wrong += add(i).has_value() != (pass == 1);
        for (int i = 0; i < others && !coverage.full(); ++i)
            wrong += add(kListed + i).has_value();
        for (int i = 0; i < kListed; ++i) {
            const std::optional<Failure> found = add(i);
            const std::string first =
                "record " + std::to_string(i + 1) + " (line " + std::to_string(i + 1) + ")";
            wrong += !found || describe(*found).find(first) == std::string::npos;
        }
        QCOMPARE(wrong, 0);
    }

    void yearsAreReadAsWholeNumbers_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("found"); // a part of the one finding's text, or none
        QTest::newRow("four digits") << "1986"
                                     << "1987"
                                     << "";
        QTest::newRow("a leading zero") << "0999"
                                        << "0998"
                                        << "record 1 runs from 999 to 998: no year lies in that range";
        QTest::newRow("every digit's weight")
            << "4321"
            << "1234"
            << "record 1 runs from 4321 to 1234: no year lies in that range";
        QTest::newRow("the byte after 9") << "19:6"
                                          << "2000"
                                          << "record 1 (\"19:6\") is not a whole number";
        QTest::newRow("the byte before 0") << "2000"
                                           << "19/6"
                                           << "record 1 (\"19/6\") is not a whole number";
        QTest::newRow("an upper-half byte") << "19\xB9"
                                               "6"
                                            << "2000"
                                            << "YearFrom of record 1 (";
        QTest::newRow("a sign and three digits")
            << "+999"
            << "-999"
            << "record 1 runs from 999 to -999: no year lies in that range";
        QTest::newRow("five digits") << "19860"
                                     << "19861"
                                     << "";
    }

    void yearsAreReadAsWholeNumbers() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, found);
        DataFolder folder;
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", from.toLatin1().toStdString(), to.toLatin1().toStdString()),
             endRecordLine()});
        const QStringList findings = findingLines(checkCatalogue(folder.path(), everyPictureShowsWhole));
        if (found.isEmpty()) {
            QVERIFY2(findings.isEmpty(), qPrintable(findings.join('\n')));
            return;
        }
        QCOMPARE(findings.size(), 1);
        QVERIFY2(findings[0].startsWith("error 1: ") && findings[0].contains(found), qPrintable(findings[0]));
    }

    void recordsNoSelectionCanFindAreErrors() {
        struct Case {
            const char* what;
            std::string line;
            const char* part; // of the one error expected; empty: no finding at all
        };
        const Case cases[] = {
            {"sound", recordLine("1", "\"A\"", "\"B\"", "", "2000", "2001"), ""},
            {"leading blank", recordLine("1", "\" A\"", "B", "", "2000", "2001"),
             "Make \" A\" of record 1 begins"},
            {"trailing blank", recordLine("1", "A", "\"B \"", "", "2000", "2001"),
             "Model \"B \" of record 1 begins"},
            {"byte 0x81", recordLine("1", "A", "B", "S\x81", "2000", "2001"), "holds the byte 0x81"},
            {"below any selection's year", recordLine("1", "A", "B", "", "-20000", "-10000"),
             "a selection's year cannot be below -9999"},
            {"lowest selection year", recordLine("1", "A", "B", "", "-20000", "-9999"), ""},
        };
        for (const Case& c : cases) {
            DataFolder folder;
            folder.writeCatalogue({c.line, endRecordLine()});
            const QStringList found = findingLines(checkCatalogue(folder.path(), everyPictureShowsWhole));
            if (*c.part == '\0') {
                QVERIFY2(found.isEmpty(), qPrintable(c.what + QString(": ") + found.join('\n')));
                continue;
            }
            QCOMPARE(found.size(), 1);
            QVERIFY2(found[0].startsWith("error 1: ") && found[0].contains(c.part),
                     qPrintable(c.what + QString(": ") + found[0]));
        }
    }

    // Two strings are one only when every byte and the length agree, wherever they differ: within the
    // bytes kept in an entry, at its end, or in a longer string kept apart.
    void keptStringsAreToldApartByEveryByte_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<bool>("same");
        const QByteArray nineteen = "ABCDEFGHIJKLMNOPQRS", forty = nineteen + nineteen + "TU";
        QTest::newRow("a short code again") << QByteArray("AC1001") << QByteArray("AC1001") << true;
        QTest::newRow("nothing and a zero byte") << QByteArray() << QByteArray(1, '\0') << false;
        QTest::newRow("a zero byte more") << QByteArray("A") << QByteArray("A", 2) << false;
        QTest::newRow("the middle of three") << QByteArray("ABC") << QByteArray("AXC") << false;
        QTest::newRow("the fifth of seven") << QByteArray("ABCDEFG") << QByteArray("ABCDXFG") << false;
        QTest::newRow("the tenth of ten") << QByteArray("ABCDEFGHIJ") << QByteArray("ABCDEFGHIK") << false;
        QTest::newRow("the last of nineteen")
            << nineteen << QByteArray(nineteen).replace(18, 1, "X") << false;
        QTest::newRow("nineteen and twenty") << nineteen << nineteen + "T" << false;
        QTest::newRow("a long one again") << forty << QByteArray(forty) << true;
        QTest::newRow("the middle of forty") << forty << QByteArray(forty).replace(21, 1, "X") << false;
        QTest::newRow("high bytes") << QByteArray("\xff\xff\xe9") << QByteArray("\xff\xfe\xe9") << false;
    }
    void keptStringsAreToldApartByEveryByte() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, same);
        StringSet set(4 << 20);
        std::uint64_t value = 1;
        QCOMPARE(set.add(std::string_view(first.constData(), first.size()), value), StringSet::Added::New);
        value = 2;
        QCOMPARE(set.add(std::string_view(second.constData(), second.size()), value),
                 same ? StringSet::Added::Present : StringSet::Added::New);
        QCOMPARE(value, same ? 1u : 2u); // a string found again gives the value it was added with
        QVERIFY(set.contains(std::string_view(first.constData(), first.size())));
        QVERIFY(set.contains(std::string_view(second.constData(), second.size())));
    }

    void keptStringsAgreeWithAnOrderedSetUntilFull() {
        // Strings of a few letters, 0 to 40 bytes long: many come again. Until the set is full it
        // answers as std::map does; when full it takes no new string but still finds those it holds.
        std::mt19937 random(27);
        std::map<std::string, std::uint64_t> model;
        StringSet set(2 << 20);
        int full = 0;
        for (std::uint64_t n = 1; n <= 60000; ++n) {
            std::string text(random() % 41, 'A');
            for (char& c : text)
                c = "AB\0"[random() % 3];
            std::uint64_t value = n;
            const StringSet::Added added = set.add(text, value);
            const auto known = model.find(text);
            if (known != model.end()) {
                QCOMPARE(added, StringSet::Added::Present);
                QCOMPARE(value, known->second);
            } else if (added == StringSet::Added::Full) {
                ++full;
                QVERIFY(!set.contains(text));
            } else {
                QCOMPARE(added, StringSet::Added::New);
                model.emplace(text, n);
            }
        }
        QVERIFY2(full > 1000 && model.size() > 5000,
                 qPrintable(QString("%1 held, %2 full").arg(model.size()).arg(full)));
        for (const auto& [text, value] : model)
            QVERIFY(set.contains(text));
    }

    void namesAndCodesAreToldApartByTheirBytes() {
        // Each pair below shares its hash (found by inverting the hashes step by step): only the bytes
        // can tell them apart. Lines are records 1, 2, 3...
        struct Case {
            const char* what;
            std::vector<std::string> lines;
            QStringList expected;
        };
        const std::map<int, std::string> collidingCode{{1, "RDV30MULFL7NE"}}, otherCode{{1, "6GCJ8IJFMJRG0"}};
        const Case cases[] = {
            {"vehicles whose names hash alike",
             {recordLine("1", "\"Aldena\"", "\"Tarsa\"", "\"2.0 GL\"", "1998", "2004"),
              recordLine("2", "\"ALDENA\"", "\"TARSA\"", "\"BIU0000V=QMR@WB7\"", "1998", "2004"),
              recordLine("3", "\"aldena\"", "\"tarsa\"", "\"2.0 gl\"", "1999", "2000")},
             {"error 3: record 3 (VehicleId 3) is never shown: every year from 1999 to 2000 already finds "
              "record 1 (line 1)"}},
            {"part codes whose FNV-1a hashes are equal",
             {recordLine("1", "A", "B", "", "2000", "2001", collidingCode),
              recordLine("2", "C", "D", "", "2000", "2001", otherCode)},
             {"warning 2: part code \"6GCJ8IJFMJRG0\" (first used by record 2) has no picture file "
              "6GCJ8IJFMJRG0ill.jpg",
              "warning 2: part code \"6GCJ8IJFMJRG0\" (first used by record 2) has no description file "
              "6GCJ8IJFMJRG0.txt"}},
            {"a VehicleId used twice",
             {recordLine("7", "A", "B", "", "2000", "2001"), recordLine("8", "C", "D", "", "2000", "2001"),
              recordLine("7", "E", "F", "", "2000", "2001")},
             {"warning 3: VehicleId \"7\" of record 3 is already that of record 1 (line 1): a VehicleId "
              "identifies one catalogue entry"}},
        };
        for (const Case& c : cases) {
            DataFolder folder;
            folder.writePicture("RDV30MULFL7NE", Qt::red);
            folder.writeDescription("RDV30MULFL7NE", "text\r\n");
            std::vector<std::string> lines = c.lines;
            lines.push_back(endRecordLine());
            folder.writeCatalogue(lines);
            QStringList found = findingLines(checkCatalogue(folder.path(), everyPictureShowsWhole));
            found.removeIf([](const QString& f) { return f.startsWith("warning 0: no record uses"); });
            QVERIFY2(found == c.expected, qPrintable(c.what + QString(":\n") + found.join('\n')));
        }
    }

    void listAndFindWordDamageAlikeAndNameItsLine() {
        struct Case {
            const char* what;
            std::string catalogue;
            const char* damage;
        };
        std::string shifted;
        for (int n = 1; n <= 30; ++n) {
            std::string line =
                recordLine(std::to_string(n), "A" + std::to_string(n), "B", "", "2000", "2001");
            if (n == 7) line.pop_back(); // 22 fields
            shifted += line + "\r\n";
        }
        const Case cases[] = {
            {"first record cut short", "1,,A,B",
             "ends in the middle of record 1: it has 4 of its 23 fields. "
             "The damage begins at line 1."},
            {"a line of 22 fields", shifted, "The damage begins at line 7, which holds 22 fields, not 23."},
        };
        for (const Case& c : cases) {
            DataFolder folder;
            folder.writeFile("specialty.txt", c.catalogue);
            const QString data = QString::fromStdString(folder.path());
            const Run list = tool({"--data", data, "list"});
            const Run find = tool({"--data", data, "find", "--make", "Nothing", "--model", "X", "--submodel",
                                   "", "--years", "2000", "2000"});
            QCOMPARE(list.status, 2);
            QCOMPARE(find.status, 2);
            QVERIFY2(list.err.contains(c.damage), c.what + QByteArray(": ") + list.err);
            QVERIFY2(find.err.contains(c.damage), c.what + QByteArray(": ") + find.err);
        }
    }

    void countsAreSingularForOne() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2001", "2000", {{1, "P1"}}), endRecordLine()});
        folder.writeDescription("P1", "text\r\n");
        const QString data = QString::fromStdString(folder.path());
        QVERIFY(tool({"--data", data, "check"}).out.contains("1 error, 1 warning in "));
        QVERIFY(tool({"--data", data, "check"}).out.contains("(1 record)"));
        QVERIFY(tool({"--data", data, "list"}).out.contains("(1 part)"));
    }

    void aFolderOfMoreNamesThanCheckKeepsIsAskedFileByFile() {
        // 16,000 files of long names take more than the 8 MB of names check keeps: the part's files are
        // still found by their names, and one warning says what could not be looked for.
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        folder.writeDescription("P1", "text\r\n");
        for (int n = 0; n < 16000; ++n)
            folder.writeFile(std::string(200, 'n') + std::to_string(n), "");
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001", {{1, "P1"}}), endRecordLine()});
        const QStringList found = findingLines(checkCatalogue(folder.path(), everyPictureShowsWhole));
        QCOMPARE(found,
                 QStringList{"warning 0: the data folder holds more file names than the 8 MB check keeps "
                             "of them: each part file was asked for by its name, so names that differ in "
                             "letter case alone and files no record uses could not be found"});
    }

    void aFolderThatCannotBeListedIsAskedFileByFile() {
        // Mode 0711: others may open the files by name but not list the folder. Root lists every folder
        // whatever its mode, so the check runs as a user without privileges.
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        folder.writeDescription("P1", "text\r\n");
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001", {{1, "P1"}}), endRecordLine()});
        QCOMPARE(::chmod(folder.path().c_str(), 0711), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
            const QStringList found = findingLines(checkCatalogue(folder.path(), everyPictureShowsWhole));
            // Nothing missing; one warning says what could not be looked for.
            const bool sound =
                found.size() == 1 && found[0].startsWith("warning 0: the data folder cannot be "
                                                         "listed");
            if (!sound) std::fprintf(stderr, "%s\n", qPrintable(found.join('\n')));
            ::_exit(sound ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ::chmod(folder.path().c_str(), 0755);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void helpAndVersionAreOneJsonDocument() {
        for (const char* option : {"--help", "--version"}) {
            const Run run = tool({"--json", option});
            QCOMPARE(run.status, 0);
            QJsonParseError error{};
            const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
            QVERIFY2(error.error == QJsonParseError::NoError, run.out.constData());
            QCOMPARE(document.object()["outcome"].toString(), QString(option).mid(2));
        }
    }
};

QTEST_MAIN(CheckRecoveryTest)
#include "test_check_recovery.moc"
