// check finds what the viewer would misread: a catalogue saved in the wrong encoding, a byte order mark,
// an empty catalogue, a picture that decodes only partly, a file whose name differs only in letter case;
// and it reports them in the compiler's format.
#include "test_support.h"

#include "pictures/picture_loader.h"
#include "tools/check/catalogue_check.h"
#include "tools/check/line_counter.h"

#include <QBuffer>
#include <QProcess>
#include <QTest>

#include <cerrno>
#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <random>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace specialty;
using namespace specialty::test;

namespace {

std::vector<Finding> findings(const DataFolder& folder) {
    return checkCatalogue(folder.path(), pictureShowsWhole).findings;
}

// The first finding whose message holds `part`, or nothing.
const Finding* finding(const std::vector<Finding>& all, const std::string& part) {
    for (const Finding& f : all)
        if (f.message().find(part) != std::string::npos) return &f;
    return nullptr;
}

// From now on, in this process, every read of descriptor `fd` fails as a damaged disk fails: EIO.
bool failReadsOf(int fd) {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_read, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])), // low half on little-endian
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(fd), 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

} // namespace

class CatalogueMisreadsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void lineNumbersOfEveryOffset() {
        // CR LF, LF and a lone CR each end a line; offsets are asked for many to a line, as check asks
        // for its fields', across the counter's buffer. Each answer, and each claim that an offset lies on
        // the line last asked about, is compared with a plain count.
        std::mt19937 random(11);
        std::string text;
        const char* const pieces[] = {"abc,", "de", "\r\n", "\n", "\r", "\r\r\n", "x"};
        while (text.size() < 600'000)
            text += pieces[random() % std::size(pieces)];
        DataFolder folder;
        folder.writeFile("lines.txt", text);
        LineCounter counter;
        QVERIFY(counter.open(folder.file("lines.txt")));
        std::vector<std::uint64_t> lineAt(text.size() + 1);
        std::uint64_t line = 1;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            lineAt[i] = line;
            if (i < text.size() &&
                (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))))
                ++line;
        }
        for (std::size_t offset = 0; offset <= text.size(); offset += 1 + random() % 7) {
            QCOMPARE(counter.lineOf(offset), lineAt[offset]);
            const std::size_t ahead = std::min(text.size(), offset + random() % 40);
            if (counter.onLastLine(ahead)) QCOMPARE(lineAt[ahead], lineAt[offset]);
        }
    }

    void failedReadsAreReported_data() {
        QTest::addColumn<int>("failingOpen"); // which of the files check opens fails its reads; -1: none
        QTest::addColumn<bool>("fails");
        QTest::newRow("none") << -1 << false;
        QTest::newRow("the reading of the records and lines") << 0 << true;
        // The look at the file's first bytes for a byte order mark: the reading of the records reads them
        // too, and says so when it cannot.
        QTest::newRow("the look at the start") << 1 << false;
    }
    void failedReadsAreReported() {
        // check reads the catalogue once for its records and their lines; a read error ends the run with
        // the file and the reason, never with findings about wrong lines.
        QFETCH(int, failingOpen);
        QFETCH(bool, fails);
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001"), endRecordLine()});
        const std::string expected =
            fails ? "The catalogue " + folder.path() + "specialty.txt could not be read: Input/output error."
                  : std::string();
        const pid_t child = ::fork();
        if (child == 0) {
            const int next = ::dup(0); // the lowest free descriptor: the one check's first open gets
            ::close(next);
            if (failingOpen >= 0 && !failReadsOf(next + failingOpen)) ::_exit(3);
            const CheckReport report = checkCatalogue(folder.path(), pictureShowsWhole);
            ::_exit((report.failure ? describe(*report.failure) : std::string()) == expected &&
                            (fails || report.records == 1)
                        ? 0
                        : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void catalogueSavedAsUtf8IsAnError() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "Aldena", "Tarsa", "", "2000", "2001"),
                               recordLine("2", "V\xC3\xA9lomar", "B", "", "2000", "2001"), // UTF-8 "Vélomar"
                               recordLine("3", "V\xE9lomar", "B", "", "2000", "2001"),     // Windows-1252
                               endRecordLine()});
        const std::vector<Finding> all = findings(folder);
        const Finding* utf8 = finding(all, "is UTF-8 text");
        QVERIFY(utf8);
        QCOMPARE(utf8->level, Finding::Level::Error);
        QCOMPARE(utf8->line, std::uint64_t(2));
        QVERIFY2(utf8->message().find("\"V\xC3\x83\xC2\xA9lomar\"") != std::string::npos,
                 utf8->message().c_str());
        QVERIFY(utf8->message().find("(\"V\xC3\xA9lomar\")") != std::string::npos);
        QVERIFY(utf8->message().find("save the catalogue as Windows-1252") != std::string::npos);
        QCOMPARE(
            std::count_if(all.begin(), all.end(),
                          [](const Finding& f) { return f.message().find("UTF-8") != std::string::npos; }),
            1L); // the Windows-1252 record is not taken for UTF-8
    }

    void byteOrderMarkIsAnError() {
        DataFolder folder;
        folder.writeFile("specialty.txt", "\xEF\xBB\xBF" + recordLine("1001", "A", "B", "", "2000", "2001") +
                                              "\r\n" + endRecordLine() + "\r\n");
        const std::vector<Finding> all = findings(folder);
        const Finding* mark = finding(all, "byte order mark");
        QVERIFY(mark);
        QCOMPARE(mark->level, Finding::Level::Error);
        QCOMPARE(mark->line, std::uint64_t(1));
    }

    void emptyCatalogueIsAnError() {
        DataFolder folder;
        for (const std::string& bytes : {std::string(), std::string("\r\n\r\n"), endRecordLine() + "\r\n"}) {
            folder.writeFile("specialty.txt", bytes);
            const CheckReport report = checkCatalogue(folder.path(), pictureShowsWhole);
            QVERIFY(finding(report.findings, "holds no record"));
            QVERIFY(report.errors > 0);
        }
    }

    void pictureThatDecodesOnlyPartlyIsNamedWithoutLeakingWarnings() {
        DataFolder folder;
        QImage image(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                image.setPixel(x, y, qRgb(x, y, (x * y) & 255));
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "JPEG", 90));
        folder.writeFile("CUTill.jpg", jpeg.left(jpeg.size() / 2).toStdString());
        folder.writeDescription("CUT", "x\r\n");
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2001", {{1, "CUT"}}), endRecordLine()});
        // Run in the tool so that its standard error can be read: the decoder's warning must not reach it.
        QProcess tool;
        tool.start(SPECIALTY_TOOL, {"--data", QString::fromStdString(folder.path()), "check"});
        QVERIFY(tool.waitForFinished());
        const QByteArray out = tool.readAllStandardOutput();
        QVERIFY2(out.contains("CUTill.jpg that does not show whole: it decodes only partly"),
                 out.constData());
        QVERIFY2(tool.readAllStandardError().isEmpty(), "decoder warnings leaked to standard error");
    }

    // A code's files are found by their names in any letter case (folded in the code page); a name that
    // differs in letter case alone is named, the first of several in byte order.
    void namesThatDifferOnlyInLetterCaseAreNamed_data() {
        QTest::addColumn<QByteArray>("code");         // as the catalogue holds it (code page)
        QTest::addColumn<QList<QByteArray>>("files"); // named in UTF-8, none a whole picture
        QTest::addColumn<QStringList>("expected"); // the code's findings, after "(first used by record 1) "
        QTest::newRow("both in other cases")
            << QByteArray("AC1001") << QList<QByteArray>{"AC1001ILL.JPG", "ac1001.txt"}
            << QStringList{
                   "has no picture file AC1001ill.jpg, but AC1001ILL.JPG differs from it in letter case "
                   "alone",
                   "has no description file AC1001.txt, but ac1001.txt differs from it in letter case "
                   "alone"};
        QTest::newRow("two other cases")
            << QByteArray("AC1001") << QList<QByteArray>{"ac1001ill.jpg", "AC1001ILL.JPG", "Ac1001ill.JPG"}
            << QStringList{
                   "has no picture file AC1001ill.jpg, but AC1001ILL.JPG differs from it in letter case "
                   "alone",
                   "has no description file AC1001.txt"};
        QTest::newRow("accented letters")
            << QByteArray("\xe9T\xc9") << QList<QByteArray>{"\xc3\x89T\xc3\xa9ill.jpg"}
            << QStringList{
                   "has no picture file \xc3\xa9T\xc3\x89ill.jpg, but \xc3\x89T\xc3\xa9ill.jpg differs "
                   "from it in letter case alone",
                   "has no description file \xc3\xa9T\xc3\x89.txt"};
        QTest::newRow("the code alone, no suffix")
            << QByteArray("AC1001") << QList<QByteArray>{"AC1001", "ac1001"}
            << QStringList{"has no picture file AC1001ill.jpg", "has no description file AC1001.txt"};
        QTest::newRow("another code's files")
            << QByteArray("AC100") << QList<QByteArray>{"AC1001ill.jpg", "ac1001.txt", "AC10ill.jpg"}
            << QStringList{"has no picture file AC100ill.jpg", "has no description file AC100.txt"};
    }
    void namesThatDifferOnlyInLetterCaseAreNamed() {
        QFETCH(QByteArray, code);
        QFETCH(QList<QByteArray>, files);
        QFETCH(QStringList, expected);
        DataFolder folder;
        for (const QByteArray& name : files)
            folder.writeFile(name.toStdString(), "x\r\n");
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", "2000", "2001", {{1, code.toStdString()}}), endRecordLine()});
        QStringList found;
        for (const Finding& f : findings(folder)) {
            const QString message = QString::fromStdString(f.message());
            const int at = message.indexOf("(first used by record 1) ");
            if (at >= 0) found << message.mid(at + 25);
        }
        QCOMPARE(found, expected);
    }

    void findingsUseTheCompilerFormat() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "20x0", "2001")});
        QProcess tool;
        tool.start(SPECIALTY_TOOL, {"--data", QString::fromStdString(folder.path()), "check"});
        QVERIFY(tool.waitForFinished());
        const QStringList lines =
            QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        const QString catalogue = QString::fromStdString(folder.file("specialty.txt"));
        QVERIFY2(lines.contains(catalogue +
                                ": warning: the catalogue has no end record (a record whose VehicleId "
                                "is 0)"),
                 qPrintable(lines.join('\n')));
        bool yearError = false;
        for (const QString& line : lines)
            yearError = yearError || line.startsWith(catalogue + ":1: error: the year YearFrom of record 1");
        QVERIFY(yearError);
        QVERIFY(lines.last().startsWith("1 error, 1 warning in "));
    }
};

QTEST_MAIN(CatalogueMisreadsTest)
#include "test_catalogue_misreads.moc"
