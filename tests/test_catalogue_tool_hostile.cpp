// specialty-catalogue against hostile input and a hostile terminal: output it cannot write, arguments
// that do not fit, bytes that are not text, and catalogues built to cost time or memory.
#include "test_support.h"

#include "pictures/picture_loader.h"
#include "tools/check/catalogue_check.h"
#include "tools/check/line_layout.h"
#include "tools/check/record_coverage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <climits>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace specialty;
using namespace specialty::test;

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the tool; arguments are bytes, passed exactly.
Run tool(const std::vector<std::string>& arguments, const QString& stdoutFile = QString()) {
    QProcess process;
    QStringList list;
    for (const std::string& a : arguments)
        list << QString::fromLocal8Bit(a.c_str());
    if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
    process.start(SPECIALTY_TOOL, list);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

bool parses(const QByteArray& json) {
    QJsonParseError error{};
    QJsonDocument::fromJson(json, &error);
    return error.error == QJsonParseError::NoError;
}

// AddressSanitizer keeps freed memory in quarantine, so a program that allocates and frees a lot grows in
// resident memory there without holding anything: memory figures mean nothing in that build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryFiguresMean = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryFiguresMean = false;
#else
constexpr bool kMemoryFiguresMean = true;
#endif
#else
constexpr bool kMemoryFiguresMean = true;
#endif

// Runs `work` in a child process and returns the child's peak resident memory in KB.
long peakKilobytesOf(const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

} // namespace

class CatalogueToolHostileTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void outputThatCannotBeWrittenIsAnError() {
        const std::string data = SPECIALTY_SAMPLE_FOLDER;
        for (const std::vector<std::string>& args : {std::vector<std::string>{"--data", data, "list"},
                                                     {"--data", data, "--json", "list"},
                                                     {"--data", data, "check"},
                                                     {"--data", data, "find", "--position", "1"},
                                                     {"--help"}}) {
            const Run run = tool(args, "/dev/full");
            QCOMPARE(run.status, 2);
            QVERIFY(run.err.contains("could not be written"));
        }
    }

    void argumentsThatDoNotFitAreUsageErrors() {
        const std::string data = SPECIALTY_SAMPLE_FOLDER;
        QCOMPARE(tool({"--data", "", "list"}).status, 2);
        QCOMPARE(tool({"--data", data, "find", "--position", ""}).status, 2);
        QCOMPARE(tool({"--data", data, "find", "--position", "2147483648"}).status, 2);
        QCOMPARE(tool({"--data", data, "find", "--make", "Brisko", "--model", "Meridian", "--submodel",
                       "Estate 4WD", "--years", "2003", "200399999"})
                     .status,
                 2);
        QCOMPARE(tool({"--data", data, "find", "--make", "A make of fifteen", "--model", "M", "--submodel",
                       "", "--years", "2003", "2003"})
                     .status,
                 2);
        const Run json = tool({"--json", "--data", data, "frobnicate"});
        QCOMPARE(json.status, 2);
        QCOMPARE(QJsonDocument::fromJson(json.out).object()["outcome"].toString(), QString("usage error"));
        // And the well-formed ones still work.
        QCOMPARE(tool({"--data=" + data, "find", "--make", "Brisko", "--model", "Meridian", "--submodel",
                       "Estate 4WD", "--years", "2003", "2003"})
                     .status,
                 0);
    }

    void damagedCatalogueIsExitStatusTwo() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "20x0", "2001"), endRecordLine()});
        const Run find = tool({"--data", folder.path(), "find", "--make", "A", "--model", "B", "--submodel",
                               "", "--years", "2000", "2000"});
        QCOMPARE(find.status, 2);
        folder.writeFile("specialty.txt", "1,,A,B");
        QCOMPARE(tool({"--data", folder.path(), "list"}).status, 2);
        const Run json = tool({"--data", folder.path(), "--json", "list"});
        QCOMPARE(json.status, 2);
        QCOMPARE(QJsonDocument::fromJson(json.out).object()["outcome"].toString(), QString("failed"));
    }

    void jsonIsValidWhateverTheBytes() {
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        // A file whose name is not UTF-8 (written byte for byte, past Qt's file names).
        const int unused = ::open(folder.file("X\xffill.jpg").c_str(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(unused >= 0);
        ::close(unused);
        folder.writeCatalogue({recordLine("1", "Ma\x1b\x81ke\xff", "B\"", "", "2000", "2001",
                                          {{1, "P\xe9"
                                               "1"}}),
                               endRecordLine()});
        for (const char* command : {"check", "list"}) {
            const Run run = tool({"--json", "--data", folder.path(), command});
            QVERIFY2(parses(run.out), run.out.constData());
        }
        const Run find = tool({"--json", "--data", folder.path(), "find", "--position", "0"});
        QVERIFY(parses(find.out));
        QCOMPARE(QJsonDocument::fromJson(find.out).object()["record"].toObject()["Make"].toString(),
                 QString::fromUtf8("Ma\x1b\xc2\x81ke\xc3\xbf"));
        // A data folder whose path is not UTF-8, passed byte for byte through the shell.
        QProcess shell;
        shell.start("/bin/sh", {"-c", "exec \"$0\" --json --data \"$(printf '%s\\377/' \"$1\")\" check",
                                SPECIALTY_TOOL, QString::fromStdString(folder.path())});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(shell.exitCode(), 2);
        const QByteArray badFolder = shell.readAllStandardOutput();
        QVERIFY2(parses(badFolder), badFolder.constData());
        QVERIFY(badFolder.contains("\xc3\xbf"));       // the byte, shown as its code-page character
        ::unlink(folder.file("X\xffill.jpg").c_str()); // a name Qt could not remove
    }

    void textOutputShowsControlCharactersVisibly() {
        DataFolder folder;
        folder.writeFile("specialty.txt",
                         recordLine("1", std::string("Evil\x1b]0;owned\x07", 14) + std::string(1, '\0') + "X",
                                    "B", "", "2000", "2001") +
                             "\r\n" + endRecordLine() + "\r\n");
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--data", folder.path(), "list"},
              {"--data", folder.path(), "find", "--position", "0"}}) {
            const Run run = tool(args);
            QCOMPARE(run.status, 0);
            QVERIFY(!run.out.contains('\x1b') && !run.out.contains('\x07') && !run.out.contains('\0'));
            QVERIFY2(run.out.contains("Evil\\x1B]0;owned\\x07\\x00X"), run.out.constData());
        }
    }

    void unreadableDescriptionIsAWarning() {
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        folder.writeDescription("P1", "text\r\n");
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001", {{1, "P1"}}), endRecordLine()});
        QCOMPARE(::chmod(folder.file("P1.txt").c_str(), 0), 0);
        QCOMPARE(::chmod(folder.path().c_str(), 0755), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            // Root reads every file whatever its mode: check as a user without privileges.
            if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
            const CheckReport report = checkCatalogue(folder.path(), everyPictureShowsWhole);
            bool warned = false;
            for (const Finding& f : report.findings)
                warned = warned || (f.level == Finding::Level::Warning &&
                                    f.message().find("P1.txt that cannot be read") != std::string::npos);
            ::_exit(warned ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void shadowedRecordsStayLinear() {
        // Many single years of one vehicle, then records over all of them: each later record is judged
        // by a bounded look at the years, not by every run of them.
        RecordCoverage coverage;
        RawRecord record;
        record.field[kMake - 1] = "A";
        record.field[kModel - 1] = "B";
        std::int64_t position = 0;
        for (int year = -32000; year < 33000 - 2000; ++year, ++position)
            QVERIFY(!coverage.add(record, year, year, position));
        std::vector<std::string> shadowed;
        for (int i = 0; i < 300; ++i, ++position)
            if (std::optional<Failure> found = coverage.add(record, -32768, 32767, position))
                shadowed.push_back(describe(*found));
        QCOMPARE(shadowed.size(), std::size_t(299)); // the first full range still has years of its own
        QVERIFY(shadowed[0].find("and others") != std::string::npos);
        QVERIFY2(coverage.yearRunsVisited() < 100 * static_cast<std::uint64_t>(position),
                 qPrintable(QString::number(coverage.yearRunsVisited())));
    }

    void vehicleListedAgainIsToldApartByItsNames_data() {
        QTest::addColumn<QStringList>("first"); // Make, Model, Submodel of the vehicle's first record
        QTest::addColumn<QStringList>("again"); // those of a later record with the same years
        QTest::addColumn<int>("others");        // records of other vehicles between them
        QTest::addColumn<bool>("shadowed");
        const auto latin1 = [](const char* name) { return QString::fromLatin1(name); };
        struct Pair {
            const char* what;
            QStringList first, again;
            bool shadowed;
        };
        const Pair pairs[] = {
            {"the same bytes", {"Aldena", "Tarsa", "GT"}, {"Aldena", "Tarsa", "GT"}, true},
            {"letter case alone", {"Aldena", "Tarsa", "GT"}, {"ALDENA", "tarsa", "Gt"}, true},
            {"one letter", {"Aldena", "Tarsa", "GT"}, {"Aldena", "Tarsa", "GS"}, false},
            {"a letter moved to the next name", {"AB", "C", ""}, {"A", "BC", ""}, false},
            {"a star read as a double quote", {"A", "Arc 2*", "S*x*"}, {"A", "Arc 2\"", "S\"x\""}, true},
            {"a third star in a Submodel", {"A", "M", "S***"}, {"A", "M", "S\"\"*"}, false},
            {"a star read as itself", {"A", "M**", ""}, {"A", "M\"\"", ""}, false},
            {"upper half letters in either case",
             {latin1("\xE9toile"), "M", ""},
             {latin1("\xC9TOILE"), "M", ""},
             true},
            {"upper half letters that differ",
             {latin1("\xE9toile"), "M", ""},
             {latin1("\xE8toile"), "M", ""},
             false},
            {"the last byte of a long name",
             {"Make of 14 ch.", "Model of twenty-one c", "Submodel of thirty-one bytes, x"},
             {"Make of 14 ch.", "Model of twenty-one c", "Submodel of thirty-one bytes, y"},
             false},
            {"the first byte after eight", {"Eight ch9", "M", ""}, {"Eight chX", "M", ""}, false},
            {"a long name in another case",
             {"Make of 14 ch.", "Model of twenty-one c", "Submodel of thirty-one bytes, x"},
             {"MAKE OF 14 CH.", "MODEL OF TWENTY-ONE C", "SUBMODEL OF THIRTY-ONE BYTES, X"},
             true},
        };
        for (const Pair& pair : pairs)
            for (int others : {0, 100})
                QTest::newRow(qPrintable(QString("%1, %2 between").arg(pair.what).arg(others)))
                    << pair.first << pair.again << others << pair.shadowed;
    }

    void vehicleListedAgainIsToldApartByItsNames() {
        // The vehicle, the others, the vehicle again, the others once more, and again: its later records
        // are compared with the record just before, or with names read again from the catalogue, and then
        // with those kept as read.
        QFETCH(QStringList, first);
        QFETCH(QStringList, again);
        QFETCH(int, others);
        QFETCH(bool, shadowed);
        std::vector<QStringList> names = {first};
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < others; ++i)
                names.push_back({"Other", "Model " + QString::number(pass * others + i), ""});
            names.push_back(again);
        }
        std::string text;
        std::vector<RecordCoverage::NameOffsets> offsets;
        for (const QStringList& n : names) {
            RecordCoverage::NameOffsets at{};
            std::uint64_t* field[] = {&at.make, &at.model, &at.submodel};
            for (int i = 0; i < 3; ++i) {
                *field[i] = text.size();
                text += n[i].toLatin1().toStdString() + (i < 2 ? "," : "\r\n");
            }
            offsets.push_back(at);
        }
        DataFolder folder;
        folder.writeFile("specialty.txt", text);
        RecordCoverage coverage(folder.file("specialty.txt"));
        std::vector<std::string> found; // "line: text" of each record never shown
        for (std::size_t r = 0; r < names.size(); ++r) {
            RawRecord record;
            const RecordCoverage::NameOffsets& at = offsets[r];
            record.field[kMake - 1] = std::string_view(text).substr(at.make, at.model - 1 - at.make);
            record.field[kModel - 1] = std::string_view(text).substr(at.model, at.submodel - 1 - at.model);
            record.field[kSubmodel - 1] = std::string_view(text).substr(at.submodel, names[r][2].size());
            if (std::optional<Failure> f = coverage.add(record, 2000, 2001, std::int64_t(r), r + 1, &at))
                found.push_back(std::to_string(r + 1) + ": " + describe(*f));
        }
        const std::string second = std::to_string(others + 2), third = std::to_string(2 * others + 3);
        QCOMPARE(found.size(), std::size_t(shadowed ? 2 : 1));
        if (shadowed) QVERIFY(found[0].rfind(second + ": ", 0) == 0);
        QVERIFY(found.back().rfind(third + ": ", 0) == 0);
        QVERIFY2(found.back().find(shadowed ? "already finds record 1 (line 1)"
                                            : "finds record " + second + " (line " + second + ")") !=
                     std::string::npos,
                 found.back().c_str());
    }

    void lineNumbersNeedNoMemoryPerLine() {
        // 40 million line ends and nothing else: the check's memory must not grow with them.
        DataFolder folder;
        // NOLINTNEXTLINE(bugprone-string-constructor): a file this large is the point of the test
        folder.writeFile("specialty.txt", std::string(40'000'000, '\n'));
        const long small = peakKilobytesOf([] {});
        const long peak = peakKilobytesOf([&] {
            const CheckReport report = checkCatalogue(folder.path(), everyPictureShowsWhole);
            if (report.failure || report.records != 0) ::_exit(1);
        });
        QVERIFY(peak > 0);
        QVERIFY2(peak - small < 64 * 1024, qPrintable(QString("%1 KB more").arg(peak - small)));
    }

    void spreadsheetRoundTripNeedsNoMemoryPerRecord_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("export as CSV") << "export";
        QTest::newRow("import of that CSV") << "import";
    }

    void spreadsheetRoundTripNeedsNoMemoryPerRecord() {
        // 200,000 records of 16 part codes, about 45 MB of catalogue: export and import stream it, so the
        // tool's memory grows by far less than that over a catalogue of one record.
        if (!kMemoryFiguresMean) {
            QTest::qSkip("resident memory means nothing under AddressSanitizer", __FILE__, __LINE__);
            return;
        }
        QFETCH(QString, command);
        DataFolder folder;
        std::map<int, std::string> parts;
        for (int p = 1; p <= 16; ++p)
            parts[p] = "PART-CODE-" + std::to_string(p);
        std::string small, big;
        for (int r = 0; r < 200000; ++r) { // 1,000 vehicles, each listed 200 times with a year of its own
            const std::string year = std::to_string(2000 + r / 1000);
            const std::string model = "\"Model " + std::to_string(r % 1000) + "\""; // as import quotes names
            const std::string line =
                recordLine(std::to_string(r + 1), "\"Make\"", model, "", year, year, parts) + "\r\n";
            (r == 0 ? small : big) += line;
            if (r == 0) big += line;
        }
        small += endRecordLine() + "\r\n";
        big += endRecordLine() + "\r\n";
        folder.writeFile("small.txt", small);
        folder.writeFile("big.txt", big);
        auto peakOf = [&](const std::string& size) {
            const std::string catalogue = folder.file(size + ".txt");
            const std::string csv = folder.file(size + ".csv");
            std::vector<std::string> arguments = {SPECIALTY_TOOL, "import", csv, "-o", catalogue + ".new"};
            if (command == "export") {
                ::symlink(catalogue.c_str(), folder.file("specialty.txt").c_str());
                arguments = {SPECIALTY_TOOL, "--data", folder.path(), "export", "-o", csv};
            }
            const long peak = peakKilobytesOf([&] {
                std::vector<char*> argv;
                for (std::string& a : arguments)
                    argv.push_back(a.data());
                argv.push_back(nullptr);
                const int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, STDOUT_FILENO);
                ::execv(argv[0], argv.data());
                ::_exit(127);
            });
            ::unlink(folder.file("specialty.txt").c_str());
            return peak;
        };
        for (const std::string size : {"small", "big"}) { // the CSV files for import
            ::symlink(folder.file(size + ".txt").c_str(), folder.file("specialty.txt").c_str());
            QCOMPARE(tool({"--data", folder.path(), "export", "-o", folder.file(size + ".csv")}).status, 0);
            ::unlink(folder.file("specialty.txt").c_str());
        }
        const long smallPeak = peakOf("small");
        const long bigPeak = peakOf("big");
        QVERIFY(smallPeak > 0 && bigPeak > 0);
        const long catalogueKB = static_cast<long>(big.size() / 1024);
        QVERIFY2(
            bigPeak - smallPeak < catalogueKB / 3,
            qPrintable(
                QString("%1 KB more for a catalogue of %2 KB").arg(bigPeak - smallPeak).arg(catalogueKB)));
        if (command == "import") { // and what it wrote is the catalogue exported
            QFile written(QString::fromStdString(folder.file("big.txt.new")));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll().toStdString(), big);
        }
    }

    void longShiftsAreReportedAsTheyComeWithoutMemoryPerLine() {
        // A shift longer than a record has fields is reported line by line as the check reads on, and the
        // findings leave the check as they are made: two million of them cost no memory.
        // One field, then whole records: the fields never come back in step, and only the first line is
        // wrong (each later line is judged as the record it holds, and these are sound).
        DataFolder folder;
        std::string lines = "x\r\n";
        for (int i = 0; i < 30; ++i)
            lines += recordLine(std::to_string(i + 1), "Make" + std::to_string(i), "B", "", "2000", "2001") +
                     "\r\n";
        folder.writeFile("specialty.txt", lines);
        const CheckReport small = checkCatalogue(folder.path(), everyPictureShowsWhole);
        QCOMPARE(small.errors, 1);
        QCOMPARE(small.findings.size(), std::size_t(2));
        QVERIFY(small.findings[0].message().find(
                    "line 1 holds 1 field, not 23: the records from record 1 on are read "
                    "shifted") != std::string::npos);
        QVERIFY(small.findings[1].message().find("stay shifted to the end of the file") != std::string::npos);

        // Lines of 22 fields come back in step every 23 lines, each a finding: two million of them.
        if (!kMemoryFiguresMean) { // the macro for this trips clang's -Wpedantic
            QTest::qSkip("resident memory means nothing under AddressSanitizer", __FILE__, __LINE__);
            return;
        }

        std::string many;
        for (int i = 0; i < 2'000'000; ++i)
            many += std::string(21, ',') + "\n";
        folder.writeFile("specialty.txt", many);
        many.clear();
        many.shrink_to_fit();
        const long baseline = peakKilobytesOf([] {});
        const long peak = peakKilobytesOf([&] {
            int errors = 0;
            checkCatalogue(folder.path(), everyPictureShowsWhole,
                           [&](const Finding& f) { errors += f.level == Finding::Level::Error; });
            if (errors != 2'000'000) ::_exit(1);
        });
        QVERIFY(peak > 0);
        QVERIFY2(peak - baseline < 64 * 1024, qPrintable(QString("%1 KB more").arg(peak - baseline)));
    }

    void fieldCountsBeyondTwoBillion() {
        // A line of more fields than an int holds is counted and reported as it is.
        std::vector<Finding> findings;
        const std::string file = "c";
        FindingStream stream([&](const Finding& f) { findings.push_back(f); }, file);
        LineLayout layout(stream, file);
        const std::int64_t fields = std::int64_t(INT_MAX) + 5;
        for (std::int64_t i = 0; i < fields; ++i)
            layout.field(1, 0, 2);
        QVERIFY(layout.finish());
        stream.finish();
        QCOMPARE(findings.size(), std::size_t(1));
        QVERIFY2(findings[0].message().find("holds " + std::to_string(fields) + " fields") !=
                     std::string::npos,
                 findings[0].message().c_str());
    }
};

QTEST_MAIN(CatalogueToolHostileTest)
#include "test_catalogue_tool_hostile.moc"
