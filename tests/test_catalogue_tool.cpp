// specialty-catalogue: each kind of finding of "check", and "find" agreeing with the viewer's search.
#include "tool_test_support.h"

#include "catalogue/vehicle_search.h"
#include "catalogue/vehicle_selection.h"
#include "pictures/picture_loader.h"
#include "tools/check/catalogue_check.h"
#include "tools/check/check_fault.h"
#include "tools/check/failure_links.h"
#include "tools/check/finding_stream.h"
#include "tools/check/text_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <climits>

using namespace specialty;
using namespace specialty::test;

namespace {

// Check's findings on `folder`, as lines.
QStringList check(const DataFolder& folder) {
    return findingLines(checkCatalogue(folder.path(), pictureShowsWhole));
}

std::string fields(int count) {
    std::string line = "9";
    for (int i = 1; i < count; ++i)
        line += ",";
    return line;
}

bool has(const QStringList& findings, const QString& start, const QString& part) {
    for (const QString& f : findings)
        if (f.startsWith(start) && f.contains(part)) return true;
    return false;
}

} // namespace

class CatalogueToolTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void sampleHasOnlyItsDeliberateWarnings() {
        CheckReport report = checkCatalogue(SPECIALTY_SAMPLE_FOLDER, everyPictureShowsWhole);
        QCOMPARE(report.errors, 0);
        QCOMPARE(report.warnings, 4);
        QCOMPARE(report.records, std::int64_t(13));
    }

    void theFourFaultsAndNothingElse() {
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        folder.writeDescription("P1", "one\r\n");
        folder.writeDescription("NOPIC", "two\r\n");
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", "2000", "2005", {{1, "P1"}}),
             recordLine("2", "a", "b", "", "2001", "2003"), // every year already finds record 1
             recordLine("3", "C", "D", "", "19x9", "2005"),
             recordLine("4", "E", "F", "", "2000", "2001", {{2, "NOPIC"}}), fields(22),
             recordLine("6", "G", "H", "", "2000", "2001"), endRecordLine()});
        QCOMPARE(
            check(folder),
            (QStringList{"error 2: record 2 (VehicleId 2) is never shown: every year from 2001 to 2003 "
                         "already finds record 1 (line 1)",
                         "error 3: the year YearFrom of record 3 (\"19x9\") is not a whole number "
                         "from -32768 to 32767: a search for its vehicle fails",
                         "warning 4: part code \"NOPIC\" (first used by record 4) has no picture "
                         "file NOPICill.jpg",
                         "error 5: line 5 holds 22 fields, not 23: every record from record 5 on is read "
                         "shifted, the end record too"}));
    }

    void unreachableNeedsEveryYearCovered() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "S", "2000", "2002"),
                               recordLine("2", "A", "B", "S", "2003", "2004"),
                               recordLine("3", "A", "B", "S", "2001", "2004"), // covered by 1 and 2 together
                               recordLine("4", "A", "B", "S", "2001", "2005"), // 2005 is its own
                               recordLine("5", "A", "B", "T", "2001", "2002"), endRecordLine()});
        QCOMPARE(check(folder),
                 (QStringList{"error 3: record 3 (VehicleId 3) is never shown: every year from "
                              "2001 to 2004 already finds records 1 (line 1) and 2 (line 2)"}));
    }

    void laterRecordsOfOneVehicle_data() {
        QTest::addColumn<QStringList>("years");    // of each record in turn, all of one vehicle
        QTest::addColumn<QStringList>("expected"); // "record: the earlier records named" of each never shown
        QTest::newRow("the same years")
            << QStringList{"2000 2001", "2000 2001"} << QStringList{"2: record 1 (line 1)"};
        QTest::newRow("a year past the first's")
            << QStringList{"2000 2001", "2000 2002", "2002 2002"} << QStringList{"3: record 2 (line 2)"};
        QTest::newRow("a year before the first's")
            << QStringList{"2000 2001", "1999 2001", "1999 1999"} << QStringList{"3: record 2 (line 2)"};
        QTest::newRow("inside the first, then around it")
            << QStringList{"2000 2005", "2001 2003", "1999 2006", "2002 2002", "1999 2006"}
            << QStringList{"2: record 1 (line 1)", "4: record 1 (line 1)",
                           "5: records 1 (line 1) and 3 (line 3)"};
    }

    void laterRecordsOfOneVehicle() {
        QFETCH(QStringList, years);
        QFETCH(QStringList, expected);
        std::vector<std::string> lines;
        for (int r = 0; r < years.size(); ++r) {
            const QStringList span = years[r].split(' ');
            lines.push_back(recordLine(std::to_string(r + 1), "A", "B", "S", span[0].toStdString(),
                                       span[1].toStdString()));
        }
        lines.push_back(endRecordLine());
        DataFolder folder;
        folder.writeCatalogue(lines);
        QStringList wanted;
        for (const QString& e : expected) {
            const QString record = e.section(": ", 0, 0);
            const QStringList span = years[record.toInt() - 1].split(' ');
            wanted << QString("error %1: record %1 (VehicleId %1) is never shown: every year from %2 to %3 "
                              "already finds %4")
                          .arg(record, span[0], span[1], e.section(": ", 1));
        }
        QCOMPARE(check(folder), wanted);
    }

    void shadowedRecordsAreTheSameVehicleAsTheViewerReadsIt() {
        // Letter case folds in both halves of the code page, a "*" of a Model reads as a double quote,
        // and names that differ only past their eighth byte or only in where one ends stay apart.
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "Citro\xEBn", "A*B", "Long submodel name 1", "2000", "2002"),
                               recordLine("2", "CITRO\xCBN", "a\"b", "LONG SUBMODEL NAME 1", "2000", "2001"),
                               recordLine("3", "Citro\xEBn", "A*B", "Long submodel name 2", "2000", "2001"),
                               recordLine("4", "AB", "C", "", "2000", "2001"),
                               recordLine("5", "A", "BC", "", "2000", "2001"), endRecordLine()});
        QCOMPARE(check(folder),
                 (QStringList{"error 2: record 2 (VehicleId 2) is never shown: every year from 2000 to "
                              "2001 already finds record 1 (line 1)"}));
    }

    void layoutsAndShifts() {
        DataFolder folder;
        const std::string record = recordLine("1", "A", "B", "", "2000", "2001");
        const std::string second = recordLine("2", "C", "D", "", "2000", "2001");
        folder.writeCatalogue({record.substr(0, 20), record.substr(21), record + "," + second, fields(24),
                               fields(22), second, endRecordLine(), "junk"});
        const QStringList found = check(folder);
        QVERIFY(has(found, "warning 1:", "spans lines 1-2"));
        QVERIFY(has(found, "warning 3:", "line 3 holds 2 records"));
        QVERIFY(has(
            found, "error 4:",
            "line 4 holds 24 fields, not 23: the records from record 4 on are read shifted until line 5"));
        QVERIFY(has(found, "error 5:", "line 5 holds 22 fields"));
        QVERIFY(has(found, "warning 8:", "lines after the end record are never read"));
        QCOMPARE(found.size(), 5);
    }

    void endsOfTheFile() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001"), "2,,C,D"});
        QCOMPARE(check(folder),
                 (QStringList{"error 2: the file ends in the middle of record 2: it has 4 "
                              "of its 23 fields, and every search that reaches it fails",
                              "warning 0: the catalogue has no end record (a record whose VehicleId is 0)"}));
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001")});
        QCOMPARE(check(folder),
                 QStringList{"warning 0: the catalogue has no end record (a record whose VehicleId is 0)"});
    }

    void namesYearsAndPartFiles() {
        DataFolder folder;
        folder.writeFile("BADill.jpg", "not a picture");
        folder.writeDescription("BAD", "x\r\n");
        folder.writePicture("UNUSED", Qt::blue);
        folder.writeDescription("LONELY", "x\r\n");
        folder.writeCatalogue({recordLine("1", "Fifteen-letters", "B", "", "2000", "2001"),
                               recordLine("2", "A", "B", "", "2005", "2001"),
                               recordLine("3", "A", "C", "", "2000", "2001", {{1, "BAD"}, {2, "../x"}}),
                               endRecordLine()});
        const QStringList found = check(folder);
        QVERIFY(has(found, "error 1:", "Make \"Fifteen-letters\" of record 1 is longer than 14"));
        QVERIFY(has(found, "error 2:", "runs from 2005 to 2001"));
        QVERIFY(has(found, "warning 3:",
                    "\"BAD\" (first used by record 3) has a picture file BADill.jpg that does not show "
                    "whole: it is not a picture"));
        QVERIFY(has(found, "warning 3:", "\"../x\" (first used by record 3) is not a plain file name"));
        QVERIFY(has(found, "warning 0:", "no record uses this picture"));
        QVERIFY(has(found, "warning 0:", "no record uses this description"));
        QCOMPARE(found.size(), 6);
    }

    void longFieldsAsTheViewerReadsThem_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // a line the standard output holds
        QTest::addColumn<QString>("err"); // a text the standard error holds
        const QString makeTooLong = "field Make of record 2 is longer than 65536 bytes.";
        QTest::newRow("find past both") << QStringList{"find",       "--make", "Aldena",  "--model", "Tarsa",
                                                       "--submodel", "",       "--years", "2001",    "2001"}
                                        << 0 << "Record 3:"
                                        << "";
        QTest::newRow("find the long SpareField") << QStringList{"find", "--position", "0"} << 0
                                                  << "  SpareField  [longer than 65536 bytes: not shown]"
                                                  << "";
        QTest::newRow("find the long Make")
            << QStringList{"find", "--position", "1"} << 2 << "" << makeTooLong;
        QTest::newRow("list") << QStringList{"list"} << 1
                              << "     3  3        2000-2005  Aldena / Tarsa /   (1 part)" << makeTooLong;
    }

    void longFieldsAsTheViewerReadsThem() {
        // Record 1 has 200 KB in its SpareField, record 2 a Make of 100 KB; record 3 is the wanted one.
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        folder.writeDescription("P1", "one\r\n");
        std::string first = recordLine("1", "A", "B", "", "2000", "2005");
        folder.writeCatalogue({first.insert(2, std::string(200 * 1024, 's')),
                               recordLine("2", std::string(100 * 1024, 'm'), "B", "", "2000", "2005"),
                               recordLine("3", "Aldena", "Tarsa", "", "2000", "2005", {{1, "P1"}}),
                               endRecordLine()});
        const ProgramRun run = tool(QStringList{"--data", QString::fromStdString(folder.path())} + arguments);
        QCOMPARE(run.status, status);
        if (!out.isEmpty())
            QVERIFY2(QString(run.out).split('\n').contains(out), run.out.left(2000).constData());
        QVERIFY2(QString(run.err).contains(err), run.err.constData());
        if (arguments.first() != "list") return;
        // Check agrees: the SpareField is harmless to the viewer, the Make keeps record 2 from showing.
        QCOMPARE(check(folder),
                 (QStringList{
                     "warning 1: field SpareField of record 1 is longer than 65536 bytes: the viewer never "
                     "shows it and reads past it, but find does not show it and export refuses the "
                     "catalogue",
                     "error 2: field Make of record 2 is longer than 65536 bytes: the viewer reports the "
                     "catalogue as damaged instead of showing this record"}));
    }

    void findAgreesWithTheViewersSearch() {
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2005"),
                               recordLine("2", "V\xE9lomar", "B", "", "2000", "2005", {{12, "P1"}}),
                               endRecordLine()});
        auto run = [&](const QStringList& args) {
            QProcess tool;
            tool.start(SPECIALTY_TOOL,
                       QStringList{"--data", QString::fromStdString(folder.path()), "--json"} + args);
            tool.waitForFinished();
            return std::make_pair(tool.exitCode(),
                                  QJsonDocument::fromJson(tool.readAllStandardOutput()).object());
        };
        auto [status, found] = run(
            {"find", "--make", "V\u00c9LOMAR", "--model", "b", "--submodel", "", "--years", "2003", "2003"});
        QCOMPARE(status, 0);
        const Lookup viewer =
            findVehicle(joinSelection("V\xC9LOMAR", "b", "", "2003", "2003"), folder.path());
        QVERIFY(viewer.ok() && viewer->has_value());
        QCOMPARE(found["number"].toInt(), int(viewer.value()->position) + 1);
        QCOMPARE(found["record"].toObject()["Make"].toString(), QString("V\u00e9lomar"));
        QVERIFY(found["slots"].toArray()[9].toObject()["picture"].toBool()); // PartCode12 shows in slot 10
        auto [positionStatus, atPosition] = run({"find", "--position", "1"});
        QCOMPARE(positionStatus, 0);
        QCOMPARE(atPosition["record"].toObject()["VehicleId"].toString(), QString("2"));
        auto [missingStatus, missing] = run({"find", "nobody"});
        QCOMPARE(missingStatus, 1);
        QCOMPARE(missing["message"].toString(), QString("No vehicle ID Match found."));
        QCOMPARE(run({"find", "--position", "2"}).first, 1); // the end record
        QCOMPARE(run({"frobnicate"}).first, 2);
    }

    // Findings come from several judges out of line order; they are handed on in line order (in the order
    // found within a line), each once no finding for an earlier line can come, those about whole files last.
    // Steps: "3a" finds "a" on line 3 ("0" a whole-file finding), "s3" settles before line 3, "f" finishes.
    void findingsAreHandedOnInLineOrder_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("handed"); // the findings handed on, in order; "|" where each settle came
        QTest::newRow("in line order") << "1a s2 2b 2c s3 3d f"
                                       << "|abc|d";
        QTest::newRow("a later line found first") << "s2 3a 2b s4 f"
                                                  << "||ba";
        QTest::newRow("one line in the order found") << "s5 5a 5b 5c f"
                                                     << "|abc";
        QTest::newRow("held across a settle") << "4a s4 4b 6c 5d s6 f"
                                              << "||abdc";
        QTest::newRow("whole files last") << "0a s1 1b 2c f"
                                          << "|bca";
    }
    void findingsAreHandedOnInLineOrder() {
        QFETCH(QString, steps);
        QFETCH(QString, handed);
        const std::string catalogue = "specialty.txt";
        QString seen;
        FindingStream stream(
            [&](const Finding& f) {
                QCOMPARE(f.file, catalogue);
                seen += QString::fromStdString(f.what.value);
            },
            catalogue);
        for (const QString& step : steps.split(' ')) {
            if (step == "f") {
                stream.finish();
            } else if (step.startsWith('s')) {
                seen += '|';
                stream.settle(step.mid(1).toULongLong());
            } else {
                Failure found(CheckFault::LinesAfterEnd);
                found.value = step.right(1).toStdString();
                stream.add(Finding::Level::Warning, step.chopped(1).toULongLong(), std::move(found));
            }
        }
        QCOMPARE(seen, handed);
        QCOMPARE(stream.warnings(), steps.count(QRegularExpression("[0-9][a-z]")));
    }

    // The links of the chains findings name are used again once nothing else holds them: a chain still held
    // keeps every link as it was made, and a link taken again comes as a new one.
    void chainLinksStillHeldAreKept_data() {
        QTest::addColumn<int>("chains"); // of 1 to 6 links each
        QTest::addColumn<int>(
            "keepEvery"); // every n-th chain is held to the end, the others dropped (0: all)
        QTest::newRow("all dropped at once") << 2000 << 0;
        QTest::newRow("every third held") << 2000 << 3;
        QTest::newRow("all held, many times the ring") << 600 << 1;
    }
    void chainLinksStillHeldAreKept() {
        QFETCH(int, chains);
        QFETCH(int, keepEvery);
        FailureLinks links;
        std::vector<std::pair<std::shared_ptr<const Failure>, std::vector<std::int64_t>>> held;
        for (int c = 0; c < chains; ++c) {
            std::shared_ptr<const Failure> head;
            std::shared_ptr<const Failure>* end = &head;
            std::vector<std::int64_t> records;
            for (int i = 0; i <= c % 6; ++i) {
                std::shared_ptr<Failure> link = links.take(CheckFault::EarlierRecord);
                QVERIFY(link->fault == CheckFault::EarlierRecord);
                QCOMPARE(link->record, std::int64_t(-1));
                QVERIFY(!link->cause && link->value.empty() && link->line == 0);
                link->record = c * 10 + i;
                link->line = 7;
                link->value = "set by the chain that had it before";
                records.push_back(c * 10 + i);
                *end = link;
                end = &link->cause;
            }
            if (keepEvery > 0 && c % keepEvery == 0) held.emplace_back(head, records);
        }
        for (const auto& [head, records] : held) {
            std::vector<std::int64_t> found;
            for (const Failure* l = head.get(); l != nullptr; l = l->cause.get())
                found.push_back(l->record);
            QCOMPARE(found, records);
        }
    }

    // Findings are worded through a buffer of their own; what comes out is what appending each piece to the
    // text makes, whatever the pieces' lengths.
    void textWriterAppendsEveryPiece_data() {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("length"); // of each piece
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("short ones, past the buffer many times") << 400 << 7;
        QTest::newRow("longer than the buffer") << 3 << 700;
        QTest::newRow("about the buffer") << 5 << 511;
    }
    void textWriterAppendsEveryPiece() {
        QFETCH(int, pieces);
        QFETCH(int, length);
        std::string written = "before ", expected = "before ";
        {
            TextWriter out(written);
            for (int n = 0; n < pieces; ++n) {
                const std::string piece(static_cast<std::size_t>(length), static_cast<char>('a' + n % 26));
                out.put(piece);
                out.put(',');
                out.putNumber(n % 2 ? LLONG_MIN + n : -n);
                out.put("; ");
                out.putNumber(ULLONG_MAX - static_cast<unsigned>(n));
                expected += piece + "," + std::to_string(n % 2 ? LLONG_MIN + n : -n) + "; " +
                            std::to_string(ULLONG_MAX - static_cast<unsigned>(n));
            }
        }
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
    }
};

QTEST_MAIN(CatalogueToolTest)
#include "test_catalogue_tool.moc"
