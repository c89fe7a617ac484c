// The vehicle search: first match wins, names without regard to case, the year rule, the end record,
// position mode, and failures with reasons a user can act on.
#include "test_support.h"

#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_search.h"
#include "catalogue/vehicle_selection.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <climits>
#include <sys/stat.h>

using namespace specialty;
using namespace specialty::test;

namespace {

std::string catalogue(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Looks up in memory through a small buffer, so records cross buffer boundaries, with both builds of the
// block classifier; they must agree.
template <typename LookUp>
Lookup withBothKernels(LookUp&& lookUp) {
    Lookup sse2 = lookUp(SimdKernel::Sse2);
    Lookup avx2 = lookUp(SimdKernel::Best); // AVX2 where the processor has it
    if (sse2.ok() != avx2.ok() || sse2.reason() != avx2.reason() || (sse2.ok() && *sse2 != *avx2))
        QTest::qFail("the SSE2 and AVX2 kernels disagree", __FILE__, __LINE__);
    return avx2;
}

// The lookup went well and found a record; went well and found none.
bool found(const Lookup& r) {
    return r.ok() && r->has_value();
}
bool notFound(const Lookup& r) {
    return r.ok() && !r->has_value();
}
// The VehicleId of the record found, or "(none)".
std::string idFound(const Lookup& r) {
    return found(r) ? r.value()->record.VehicleId : "(none)";
}

Lookup search(const std::vector<std::string>& lines, const std::string& selection) {
    const std::string bytes = catalogue(lines);
    return withBothKernels(
        [&](SimdKernel kernel) { return findVehicleInBytes(selection, bytes, "specialty.txt", 61, kernel); });
}

// The record at a position, as a demo step asks for it.
Lookup at(const std::vector<std::string>& lines, std::int64_t position) {
    const std::string bytes = catalogue(lines);
    return withBothKernels(
        [&](SimdKernel kernel) { return recordAtInBytes(position, bytes, "specialty.txt", 61, kernel); });
}

std::string sel(const char* make, const char* model, const char* submodel, const char* y1, const char* y2) {
    return joinSelection(make, model, submodel, y1, y2);
}

const std::vector<std::string> kTwoBriskos = {
    recordLine("1", "Aldena", "Tarsa", "GL", "1998", "2004", {{1, "A1"}}),
    recordLine("2", "\"Brisko\"", "Meridian", "", "2001", "2008", {{1, "B1"}}),
    recordLine("3", "BRISKO", "MERIDIAN", "", "2001", "2008", {{1, "B2"}}),
    endRecordLine(),
};

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void firstMatchWinsWithoutRegardToCase() {
        Lookup r = search(kTwoBriskos, sel("brisko", "meridian", "", "2003", "2003"));
        QVERIFY(found(r));
        QCOMPARE(r.value()->record.VehicleId, std::string("2"));
        QCOMPARE(r.value()->position, std::int64_t(1));
        QCOMPARE(r.value()->record.partCode(1), std::string("B1"));
    }

    void paddedSelectionFieldsMatchUnpaddedNames() {
        // joinSelection fills every field with spaces to its column width.
        QVERIFY(found(search(kTwoBriskos, sel("Aldena", "Tarsa", "GL", "1999", "1999"))));
        QVERIFY(notFound(search(kTwoBriskos, sel("Aldena", "Tarsa", "G", "1999", "1999"))));
    }

    void yearRule_data() {
        QTest::addColumn<QString>("year1");
        QTest::addColumn<QString>("year2");
        QTest::addColumn<bool>("matches");
        // The record covers 2001 to 2008.
        QTest::newRow("lower bound twice") << "2001"
                                           << "2001" << true;
        QTest::newRow("second year on upper bound") << "2009"
                                                    << "2008" << true;
        QTest::newRow("first inside only") << "2005"
                                           << "1990" << true;
        QTest::newRow("around the range is no overlap test") << "1996"
                                                             << "2013" << false;
        QTest::newRow("both outside") << "2009"
                                      << "2000" << false;
    }
    void yearRule() {
        QFETCH(QString, year1);
        QFETCH(QString, year2);
        QFETCH(bool, matches);
        Lookup r = search(kTwoBriskos, sel("Brisko", "Meridian", "", qPrintable(year1), qPrintable(year2)));
        QVERIFY(r.ok());
        QCOMPARE(found(r), matches);
    }

    void reversedRangeNeverMatches() {
        auto lines = {recordLine("1", "M", "X", "", "2008", "2001"), endRecordLine()};
        QVERIFY(notFound(search(lines, sel("M", "X", "", "2005", "2001"))));
    }

    void makesFoundAtEveryAlignment() {
        // The search passes over records 64 bytes at a time and tests a Make on the spot; a Make, quoted or
        // not, must be found wherever it falls against those blocks.
        for (int pad = 0; pad < 140; ++pad) {
            for (const char* make : {"\"Zzyzx\"", "Zzyzx", "  Zzyzx"}) {
                // Enough records after it that the pass settles a boundary past it before the end.
                std::vector<std::string> lines = {
                    recordLine("1" + std::string(pad, 'x'), "\"Zebra\"", "X", "", "2000", "2000"),
                    recordLine("2", std::string(make), "X", "", "2000", "2000")};
                for (int filler = 0; filler < 60; ++filler)
                    lines.push_back(recordLine("9", "Filler", "X", "", "2000", "2000"));
                lines.push_back(endRecordLine());
                Lookup r = search(lines, sel("zzyzx", "x", "", "2000", "2000"));
                QVERIFY2(found(r) && r.value()->position == 1,
                         qPrintable(QString("pad %1, %2").arg(pad).arg(make)));
            }
        }
    }

    void stopsWhereTheRecordBegins_data() {
        QTest::addColumn<int>("fillers");
        QTest::addColumn<int>("idLength");    // of the matching record's VehicleId
        QTest::addColumn<int>("spareLength"); // of its SpareField, the item before its Make
        QTest::addColumn<int>("chunk");
        // The pass runs many records ahead of the last place it settled; a Make found there must still
        // give the record it belongs to, however far back in the bytes that record begins.
        QTest::newRow("record begins in the Make's block") << 200 << 2 << 0 << 65536;
        QTest::newRow("one block back") << 200 << 70 << 0 << 65536;
        QTest::newRow("two blocks back") << 200 << 60 << 90 << 65536;
        QTest::newRow("many blocks back") << 200 << 900 << 900 << 65536;
        QTest::newRow("past the last settled place") << 200 << 1500 << 0 << 65536;
        QTest::newRow("right after a settled place") << 7 << 300 << 300 << 65536;
        QTest::newRow("first record") << 0 << 700 << 700 << 65536;
        QTest::newRow("small reads") << 200 << 900 << 900 << 4096;
    }

    void stopsWhereTheRecordBegins() {
        QFETCH(int, fillers);
        QFETCH(int, idLength);
        QFETCH(int, spareLength);
        QFETCH(int, chunk);
        std::string bytes;
        for (int i = 0; i < fillers; ++i)
            bytes += recordLine(std::to_string(1000 + i), "\"Aldena\"", "X", "", "2000", "2000") + "\r\n";
        const std::string id(static_cast<std::size_t>(idLength), '7');
        bytes += id + "," + std::string(static_cast<std::size_t>(spareLength), 's') +
                 ",\"Zzyzx\",\"Finale\",,2000,2000" + std::string(16, ',') + "\r\n";
        for (int i = 0; i < 40; ++i)
            bytes += recordLine("9", "Aldena", "X", "", "2000", "2000") + "\r\n";
        bytes += endRecordLine() + "\r\n";
        const Lookup r = withBothKernels([&](SimdKernel kernel) {
            return findVehicleInBytes(sel("zzyzx", "finale", "", "2000", "2000"), bytes, "specialty.txt",
                                      static_cast<std::size_t>(chunk), kernel);
        });
        QVERIFY(found(r));
        QCOMPARE(r.value()->position, std::int64_t(fillers));
        QCOMPARE(r.value()->record.VehicleId, id);
        const Lookup step = withBothKernels([&](SimdKernel kernel) {
            return recordAtInBytes(fillers + 1, bytes, "specialty.txt", static_cast<std::size_t>(chunk),
                                   kernel);
        });
        QCOMPARE(idFound(step), std::string("9"));
    }

    void starsInModelAndSubmodel() {
        auto lines = {recordLine("7", "Dunmore", "Kestrel 16* Wheel", "a*b*c*", "2005", "2011"),
                      endRecordLine()};
        Lookup r = search(lines, sel("DUNMORE", "kestrel 16\" wheel", "a\"b\"c*", "2006", "2006"));
        QVERIFY(found(r));
        QCOMPARE(r.value()->record.Model, std::string("Kestrel 16\" Wheel"));
        QCOMPARE(r.value()->record.Submodel, std::string("a\"b\"c*"));
        QVERIFY(notFound(search(lines, sel("Dunmore", "Kestrel 16* Wheel", "a\"b\"c*", "2006", "2006"))));
    }

    void namesLongerThanTheirColumnsNeverMatch() {
        auto lines = {recordLine("1", "Fifteen-letters", "M", "", "2000", "2000"), endRecordLine()};
        QVERIFY(notFound(search(lines, sel("Fifteen-letters", "M", "", "2000", "2000"))));
    }

    void endRecord() {
        // An end record that fits is not a result, and nothing after it is read: not even a broken line.
        auto lines = {recordLine("1", "A", "B", "", "2000", "2000"),
                      recordLine("0", "Z", "Z", "", "2000", "2000"), std::string("broken,\"line"),
                      recordLine("9", "Z", "Z", "", "2000", "2000")};
        QVERIFY(notFound(search(lines, sel("Z", "Z", "", "2000", "2000"))));
        QVERIFY(notFound(search({endRecordLine(), recordLine("1", "A", "B", "", "2000", "2000")},
                                sel("A", "B", "", "2000", "2000"))));
        QVERIFY(notFound(search({}, sel("A", "B", "", "2000", "2000"))));
    }

    void trailingBlankLinesEndTheFileWithoutError() {
        const std::string bytes = catalogue({recordLine("1", "A", "B", "", "2000", "2000")}) + "\r\n  \r\n";
        Lookup r = findVehicleInBytes(sel("X", "", "", "1", "1"), bytes, "c", 4096);
        QVERIFY(notFound(r));
    }

    void positionMode() {
        std::vector<std::string> lines;
        for (int i = 0; i < 6; ++i)
            lines.push_back(recordLine(std::to_string(100 + i), "M", "X", "", "2000", "2000"));
        lines.push_back(endRecordLine());
        lines.push_back(recordLine("999", "M", "X", "", "2000", "2000"));
        QCOMPARE(idFound(search(lines, "-1")), std::string("100")); // the host's marker: position 0
        QCOMPARE(idFound(at(lines, 0)), std::string("100"));
        QCOMPARE(idFound(at(lines, 3)), std::string("103"));
        QVERIFY(notFound(at(lines, 6)));                         // the end record
        QVERIFY(notFound(at(lines, 7)));                         // after it
        QVERIFY(notFound(at(lines, std::int64_t(INT_MAX) + 1))); // |INT_MIN|
        lines.pop_back();
        lines.pop_back();
        QVERIFY(notFound(at(lines, 6))); // past the last record
        // With a blank around it the marker is an ordinary selection whose Make is "-1".
        QVERIFY(notFound(search(lines, " -1")));
        QVERIFY(notFound(search(lines, "-1 ")));
    }

    void positionModeIgnoresNames() {
        // A record named "-1" with empty model and submodel would pass a name test made with the marker's
        // own text, whose years are empty; in position mode only the position decides, so demo steps go on
        // past such a record instead of failing at it.
        auto lines = {recordLine("1", "A", "B", "", "2000", "2000"), recordLine("2", "-1", "", "", "", ""),
                      recordLine("3", "C", "D", "", "2000", "2000")};
        QCOMPARE(idFound(at(lines, 2)), std::string("3"));
        QCOMPARE(idFound(at(lines, 1)), std::string("2"));
        QVERIFY(notFound(at(lines, 5)));
        // Outside position mode such a record is an ordinary one whose years fail the search.
        QVERIFY(!search(lines, sel("-1", "", "", "2000", "2000")).ok());
    }

    void badYears() {
        // Bad years in records whose names do not match do no harm.
        auto lines = {recordLine("1", "Other", "X", "", "19x9", ""),
                      recordLine("2", "M", "X", "", "2000", "2010"),
                      recordLine("3", "M", "Y", "", "2000", "abc"), endRecordLine()};
        QVERIFY(found(search(lines, sel("M", "X", "", "2005", "2005"))));

        Lookup r = search(lines, sel("M", "Y", "", "2005", "2005"));
        QVERIFY(!r.ok());
        QCOMPARE(QString::fromStdString(r.reason()),
                 QString("The year YearTo of record 3 (\"abc\") is not a whole number from -32768 "
                         "to 32767."));

        // All four years are converted before anything is decided: an empty Year2 fails the search even
        // though Year1 lies in the range.
        r = search(lines, joinSelection("M", "X", "", "2005", "").substr(0, 74));
        QVERIFY(!r.ok());
        QVERIFY(QString::fromStdString(r.reason()).startsWith("The selection's Year2 (\"\")"));
        QVERIFY(QString::fromStdString(r.reason()).contains("record 2"));
    }

    void shortSelectionWithoutAMatchingNameIsNotFound() { QVERIFY(notFound(search(kTwoBriskos, "Nobody"))); }

    void cutShortRecord() {
        auto lines = {recordLine("1", "A", "B", "", "2000", "2000"), std::string("2,,C,D,,2000,2000,p1")};
        Lookup r = search(lines, sel("X", "", "", "1", "1"));
        QVERIFY(!r.ok());
        QCOMPARE(QString::fromStdString(r.reason()),
                 QString("The catalogue specialty.txt ends in the middle of record 2: it has 8 of "
                         "its 23 fields."));
        // The matching record before the damage is still found.
        QVERIFY(found(search(lines, sel("A", "B", "", "2000", "2000"))));
    }

    void longFieldsStopOnlyTheRecordShown_data() {
        // A field longer than the reader keeps (64 KB) may stand anywhere. Records passed over never stop
        // the search; the record to be shown may be long only in its SpareField, which is never shown.
        QTest::addColumn<std::vector<std::string>>("lines");
        QTest::addColumn<std::string>("selection"); // empty: the demo step to position 1
        QTest::addColumn<QString>("outcome");       // the VehicleId found, "(none)", or the field too long
        const std::string big(200 * 1024, 's');
        const std::string wanted = recordLine("2", "Aldena", "Tarsa", "", "2000", "2005", {{1, "A1"}});
        const std::string aldena = sel("Aldena", "Tarsa", "", "2001", "2001");
        auto before = [&](const std::string& spare, const std::string& make, const std::string& yearTo) {
            std::string line = recordLine("1", make, "Tarsa", "", "2000", yearTo, {{1, "Z9"}});
            return line.insert(2, spare); // "1,<spare>,..."
        };
        QTest::newRow("SpareField of a record before")
            << std::vector{before(big, "Brisko", "2005"), wanted} << aldena << "2";
        QTest::newRow("Make of a record before")
            << std::vector{before("", big, "2005"), wanted} << aldena << "2";
        QTest::newRow("its Make begins like the wanted one")
            << std::vector{before("", "Aldena" + std::string(70000, ' ') + "x", "2005"), wanted} << aldena
            << "2";
        QTest::newRow("VehicleId that begins with 0")
            << std::vector{"0" + std::string(70000, ' ') + "x" + before("", "B", "1").substr(1), wanted}
            << aldena << "2";
        QTest::newRow("quoted SpareField with commas and line ends")
            << std::vector{before("\"" + std::string(70000, ',') + "\r\n\"", "B", "2005"), wanted} << aldena
            << "2";
        QTest::newRow("demo step past a long SpareField")
            << std::vector{before(big, "B", "2005"), wanted} << std::string() << "2";
        QTest::newRow("SpareField of the record shown")
            << std::vector{wanted, before(big, "Aldena", "2005")} << std::string() << "1";
        QTest::newRow("Make of the record shown")
            << std::vector{wanted, before("", big, "2005")} << std::string() << "Make";
        QTest::newRow("YearTo of a record whose names match")
            << std::vector{before("", "Aldena", big), wanted} << aldena << "YearTo";
        QTest::newRow("end record after a long field")
            << std::vector{before(big, "B", "2005"), endRecordLine(), wanted} << aldena << "(none)";
    }

    void longFieldsStopOnlyTheRecordShown() {
        QFETCH(std::vector<std::string>, lines);
        QFETCH(std::string, selection);
        QFETCH(QString, outcome);
        const Lookup r = selection.empty() ? at(lines, 1) : search(lines, selection);
        if (!r.ok()) {
            QCOMPARE(r.error().fault, CatalogueFault::FieldTooLong);
            QCOMPARE(QString::fromStdString(fieldName(r.error().field)), outcome);
            QVERIFY(QString::fromStdString(r.reason()).contains("is longer than 65536 bytes"));
            return;
        }
        QCOMPARE(QString::fromStdString(idFound(r)), outcome);
        if (found(r)) // the SpareField shown keeps its first 64 KB, and says it was cut
            QCOMPARE(r.value()->spareFieldCut, r.value()->record.SpareField.size() == 65536);
    }

    void failuresSayWhichFaultAndWhere() {
        // A caller tells failures apart by their fault and details, not by their words.
        struct Case {
            const char* name;
            std::vector<std::string> lines;
            std::string selection;
            CatalogueFault fault;
            std::int64_t record; // from 0
            int field;
        };
        const Case cases[] = {
            {"cut short",
             {recordLine("1", "A", "B", "", "2000", "2000"), "2,,C,D,,2000,2000,p1"},
             sel("X", "", "", "1", "1"),
             CatalogueFault::EndsInRecord,
             1,
             0},
            {"field too long",
             {recordLine("1", "A", "B", std::string(100000, 's'), "2000", "2000")},
             "-1",
             CatalogueFault::FieldTooLong,
             0,
             5},
            {"record's year",
             {recordLine("1", "M", "Y", "", "2000", "abc")},
             sel("M", "Y", "", "2005", "2005"),
             CatalogueFault::RecordYearNotWhole,
             0,
             7},
            {"selection's year",
             {recordLine("1", "M", "X", "", "2000", "2010")},
             sel("M", "X", "", "2005", "").substr(0, 74),
             CatalogueFault::SelectionYearNotWhole,
             0,
             2},
        };
        for (const Case& c : cases) {
            const Lookup r = search(c.lines, c.selection);
            QVERIFY2(!r.ok(), c.name);
            QVERIFY2(r.error().fault == c.fault, c.name);
            QCOMPARE(r.error().record, c.record);
            QCOMPARE(r.error().field, c.field);
        }
        DataFolder folder;
        QDir().mkdir(QString::fromStdString(folder.file("specialty.txt")));
        const Lookup r = findVehicle("x", folder.path());
        QVERIFY(!r.ok() && r.error().fault == CatalogueFault::CannotBeOpened && r.error().cause);
        QVERIFY(r.error().cause->fault == CatalogueFault::IsDirectory);
    }

    void catalogueFiles() {
        DataFolder folder;
        Lookup r = findVehicle("x", folder.path());
        QVERIFY(!r.ok());
        QCOMPARE(QString::fromStdString(r.reason()),
                 QString::fromStdString("The catalogue " + folder.file("specialty.txt") +
                                        " cannot be opened: No such file or directory."));

        QVERIFY(QDir().mkdir(QString::fromStdString(folder.file("specialty.txt"))));
        r = findVehicle("x", folder.path());
        QVERIFY(!r.ok());
        QVERIFY(
            QString::fromStdString(r.reason()).endsWith("cannot be opened: it is a directory, not a file."));
        QVERIFY(QDir().rmdir(QString::fromStdString(folder.file("specialty.txt"))));

        folder.writeCatalogue(
            {recordLine("1", "V\xE9lomar", "\xC9toile", "", "2016", "2022"), endRecordLine()});
        // The host pads by characters; its text arrives in UTF-8 and is converted before the name test.
        const std::string fromHost = windows1252ToUtf8(sel("V\xC9LOMAR", "\xE9toile", "", "2017", "2017"));
        QVERIFY(fromHost.size() > 80);
        r = findVehicle(utf8ToWindows1252(fromHost), folder.path());
        QVERIFY(found(r));
        QCOMPARE(r.value()->record.Make, std::string("V\xE9lomar"));
    }
};

// These tests need no application object. Qt's own main macro for that trips clang's -Wpedantic.
int main(int argc, char** argv) {
    SearchTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_search.moc"
