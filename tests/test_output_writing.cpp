// How export and import write files: never over what is not an ordinary file, through a link to the file it
// names with its owner and mode, never over the catalogue being exported, with the previous catalogue kept,
// formulas kept from running, and a workbook that a real spreadsheet reads back as it was written.
#include "tool_test_support.h"

#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace specialty::test;

namespace {

using Run = ProgramRun;
QByteArray contents(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// QSKIP without its variadic macro, which clang's -Wpedantic refuses.
void skip(const char* why) {
    QTest::qSkip(why, __FILE__, __LINE__);
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

const char* const kHeader =
    "VehicleId,SpareField,Make,Model,Submodel,YearFrom,YearTo,PartCode1,PartCode2,"
    "PartCode3,PartCode4,PartCode5,PartCode6,PartCode7,PartCode8,PartCode9,PartCode10,"
    "PartCode11,PartCode12,PartCode13,PartCode14,PartCode15,PartCode16";

// A data folder with a one-record catalogue.
struct Folder {
    DataFolder data;
    std::string old = recordLine("7", "Aldena", "Tarsa", "GL", "1998", "2004", {{1, "AC1001"}}) + "\r\n" +
                      endRecordLine() + "\r\n";
    Folder() { data.writeFile("specialty.txt", old); }
    std::string csv(const std::string& vehicleId) const {
        std::string file = data.file("in.csv");
        data.writeFile("in.csv", std::string(kHeader) + "\r\n" + vehicleId +
                                     ",,Brisko,Meridian,Estate,2001,2008,TL2001,,,,,,,,,,,,,,,\r\n");
        return file;
    }
};

mode_t typeOf(const std::string& path, bool follow) {
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return 0;
    return st.st_mode & S_IFMT;
}

} // namespace

class OutputWritingTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // -o names something that is not an ordinary file: it is written in place or refused, never replaced.
    void outputThatIsNotAnOrdinaryFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("FIFO with a reader") << "fifo-read" << 0;
        QTest::newRow("FIFO nobody reads") << "fifo" << 2;
        QTest::newRow("character device") << "device" << 0;
        QTest::newRow("link to a character device") << "link-to-device" << 0;
        QTest::newRow("folder") << "folder" << 2;
    }
    void outputThatIsNotAnOrdinaryFile() {
        QFETCH(QString, kind);
        QFETCH(int, status);
        Folder folder;
        const std::string out = folder.data.file("out");
        const std::string device = folder.data.file("null-device");
        int reader = -1;
        mode_t expected = S_IFIFO;
        if (kind.startsWith("fifo")) {
            QCOMPARE(::mkfifo(out.c_str(), 0600), 0);
            if (kind == "fifo-read") reader = ::open(out.c_str(), O_RDONLY | O_NONBLOCK);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(q(out)));
            expected = S_IFDIR;
        } else {
            if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                return skip("making a device node needs root");
            expected = S_IFCHR;
            if (kind == "device")
                QCOMPARE(::rename(device.c_str(), out.c_str()), 0);
            else
                QCOMPARE(::symlink(device.c_str(), out.c_str()), 0);
        }
        const Run run = tool({"--data", q(folder.data.path()), "export", "-o", q(out)});
        QCOMPARE(run.status, status);
        QCOMPARE(typeOf(out, true), expected);
        if (kind == "link-to-device") QCOMPARE(typeOf(out, false), mode_t(S_IFLNK));
        if (kind == "device" || kind == "link-to-device") {
            struct stat st {};
            QCOMPARE(::stat(out.c_str(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0600)); // not made world-writable
        }
        if (kind == "fifo") QVERIFY(run.err.contains("nothing reads"));
        if (reader >= 0) {
            char buffer[4096];
            const ssize_t got = ::read(reader, buffer, sizeof buffer);
            ::close(reader);
            QVERIFY(got > 0);
            QVERIFY(QByteArray(buffer, static_cast<int>(got)).contains("Aldena"));
        }
        // Nothing but what the test made is left in the folder.
        QCOMPARE(QDir(q(folder.data.path()))
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                     .size(),
                 kind == "link-to-device" ? 3 : 2);
    }

    // A catalogue that cannot be read is told as it is, whatever export writes: one sentence, one full stop.
    void exportOfAnUnreadableCatalogue_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("CSV, no catalogue") << "out.csv" << false << "No such file or directory";
        QTest::newRow("workbook, no catalogue") << "out.xlsx" << false << "No such file or directory";
        QTest::newRow("CSV, a folder") << "out.csv" << true << "it is a directory, not a file";
        QTest::newRow("workbook, a folder") << "out.xlsx" << true << "it is a directory, not a file";
    }
    void exportOfAnUnreadableCatalogue() {
        QFETCH(QString, output);
        QFETCH(bool, folder);
        QFETCH(QString, reason);
        Folder data;
        const std::string catalogue = data.data.file("specialty.txt");
        QVERIFY(QFile::remove(q(catalogue)));
        if (folder) QVERIFY(QDir().mkdir(q(catalogue)));
        const Run run = tool({"--data", q(data.data.path()), "export", "-o", q(data.data.file("")) + output});
        QCOMPARE(run.status, 2);
        QCOMPARE(QString::fromUtf8(run.err),
                 "The catalogue " + q(catalogue) + " cannot be opened: " + reason + ".\n");
        QVERIFY(!QFile::exists(q(data.data.file("")) + output));
    }

    // Export -o naming the catalogue it reads, by any path.
    void exportRefusesItsOwnCatalogue_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("as it is") << "specialty.txt";
        QTest::newRow("through ./") << "./specialty.txt";
        QTest::newRow("through ..") << "sub/../specialty.txt";
        QTest::newRow("through a link") << "link.txt";
    }
    void exportRefusesItsOwnCatalogue() {
        QFETCH(QString, name);
        Folder folder;
        QVERIFY(QDir().mkdir(q(folder.data.file("sub"))));
        QCOMPARE(::symlink("specialty.txt", folder.data.file("link.txt").c_str()), 0);
        const Run run = tool({"--data", q(folder.data.path()), "export", "-o", q(folder.data.path()) + name});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains("is the catalogue that export reads"));
        QCOMPARE(contents(folder.data.file("specialty.txt")), QByteArray::fromStdString(folder.old));
        QCOMPARE(typeOf(folder.data.file("link.txt"), false), mode_t(S_IFLNK));
    }

    // Import into a catalogue that is a link to another user's file: the file it names gets the new records,
    // keeps its owner, group and mode, and the previous catalogue is kept beside it the same way.
    void importThroughALinkKeepsOwnerModeAndThePrevious() {
        if (::geteuid() != 0) return skip("giving a file to another user needs root");
        Folder folder;
        QVERIFY(QDir().mkdir(q(folder.data.file("real"))));
        const std::string real = folder.data.file("real/master.txt");
        QCOMPARE(::rename(folder.data.file("specialty.txt").c_str(), real.c_str()), 0);
        QCOMPARE(::chown(real.c_str(), 1234, 2345), 0);
        QCOMPARE(::chmod(real.c_str(), 0640), 0);
        QCOMPARE(::symlink("real/master.txt", folder.data.file("specialty.txt").c_str()), 0);

        const Run run = tool({"--data", q(folder.data.path()), "--json", "import", q(folder.csv("4242"))});
        QCOMPARE(run.status, 0);
        QCOMPARE(typeOf(folder.data.file("specialty.txt"), false), mode_t(S_IFLNK));
        QVERIFY(contents(real).startsWith("4242,"));
        const std::string previous = real + ".previous";
        QCOMPARE(contents(previous), QByteArray::fromStdString(folder.old));
        QCOMPARE(QJsonDocument::fromJson(run.out).object()["previous"].toString(), q(previous));
        for (const std::string& file : {real, previous}) {
            struct stat st {};
            QCOMPARE(::stat(file.c_str(), &st), 0);
            QCOMPARE(st.st_uid, uid_t(1234));
            QCOMPARE(st.st_gid, gid_t(2345));
            QCOMPARE(st.st_mode & 07777, mode_t(0640));
        }
        // Nothing else appears beside them.
        QCOMPARE(QDir(q(folder.data.file("real"))).entryList(QDir::Files).size(), 2);
    }

    // The text output says where the previous catalogue went; a second import keeps the one it replaces.
    void importSaysWhereThePreviousCatalogueIs() {
        Folder folder;
        const Run first = tool({"--data", q(folder.data.path()), "import", q(folder.csv("11"))});
        QCOMPARE(first.status, 0);
        const std::string previous = folder.data.file("specialty.txt.previous");
        QVERIFY2(first.out.contains(QByteArray::fromStdString(previous)), first.out.constData());
        QCOMPARE(contents(previous), QByteArray::fromStdString(folder.old));
        const QByteArray afterFirst = contents(folder.data.file("specialty.txt"));
        QCOMPARE(tool({"--data", q(folder.data.path()), "import", q(folder.csv("12"))}).status, 0);
        QCOMPARE(contents(previous), afterFirst);
        // A new file has nothing to keep.
        const Run fresh = tool({"--data", q(folder.data.path()), "import", q(folder.csv("13")), "-o",
                                q(folder.data.file("new.txt"))});
        QCOMPARE(fresh.status, 0);
        QVERIFY(!fresh.out.contains("previous"));
        QVERIFY(!QFile::exists(q(folder.data.file("new.txt.previous"))));
    }

    // Whatever was planted as NAME.previous in the catalogue's folder by someone who can write there, import
    // keeps the old catalogue in a new ordinary file under that name, given the catalogue's owner, and says
    // so only then: a link is replaced, never followed, and a device or a FIFO is never written.
    void plantedPreviousIsReplacedNeverFollowed_data() {
        QTest::addColumn<QString>("planted");
        QTest::newRow("link to a root-only file") << "link-to-secret";
        QTest::newRow("link to /dev/null") << "link-to-null";
        QTest::newRow("FIFO that something reads") << "fifo-read";
    }
    void plantedPreviousIsReplacedNeverFollowed() {
        QFETCH(QString, planted);
        const bool root = ::geteuid() == 0;
        constexpr uid_t kMaintainer = 12345;
        Folder folder;
        const std::string catalogue = folder.data.file("specialty.txt");
        const std::string previous = folder.data.file("specialty.txt.previous");
        DataFolder elsewhere; // a folder only its owner may enter, with a file only its owner may read
        elsewhere.writeFile("important.conf", "secret=1\n");
        const std::string secret = elsewhere.file("important.conf");
        QCOMPARE(::chmod(secret.c_str(), 0600), 0);
        QCOMPARE(::chmod(elsewhere.path().c_str(), 0700), 0);
        if (root) {
            for (const std::string& path : {folder.data.path(), catalogue})
                QCOMPARE(::chown(path.c_str(), kMaintainer, kMaintainer), 0);
            QCOMPARE(::chmod(catalogue.c_str(), 0664), 0);
        }
        int reader = -1;
        if (planted == "link-to-secret") {
            QCOMPARE(::symlink(secret.c_str(), previous.c_str()), 0);
        } else if (planted == "link-to-null") {
            QCOMPARE(::symlink("/dev/null", previous.c_str()), 0);
        } else {
            QCOMPARE(::mkfifo(previous.c_str(), 0666), 0);
            reader = ::open(previous.c_str(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
        }

        const Run run = tool({"--data", q(folder.data.path()), "import", q(folder.csv("4242"))});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QByteArray::fromStdString("kept as " + previous)), run.out.constData());
        QCOMPARE(typeOf(previous, false), mode_t(S_IFREG));
        QCOMPARE(contents(previous), QByteArray::fromStdString(folder.old));
        struct stat kept {};
        QCOMPARE(::stat(previous.c_str(), &kept), 0);
        struct stat now {};
        QCOMPARE(::stat(catalogue.c_str(), &now), 0);
        QCOMPARE(kept.st_mode & 07777, now.st_mode & 07777);
        QCOMPARE(kept.st_uid, now.st_uid);
        if (root) QCOMPARE(kept.st_uid, kMaintainer);
        // The file the link led to is as it was.
        QCOMPARE(contents(secret), QByteArray("secret=1\n"));
        struct stat untouched {};
        QCOMPARE(::stat(secret.c_str(), &untouched), 0);
        QCOMPARE(untouched.st_uid, ::geteuid());
        QCOMPARE(untouched.st_mode & 07777, mode_t(0600));
        if (reader >= 0) {
            char buffer[256];
            const ssize_t got = ::read(reader, buffer, sizeof buffer);
            ::close(reader);
            QVERIFY2(got <= 0, "the old catalogue went into the FIFO");
        }
    }

    // When standard output cannot be written after the file was, the exit status still says it was written.
    void writtenFileIsReportedWhenStandardOutputFails_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("import") << QStringList{"import", "CSV"};
        QTest::newRow("import --json") << QStringList{"--json", "import", "CSV"};
        QTest::newRow("export -o --json") << QStringList{"--json", "export", "-o", "OUT"};
    }
    void writtenFileIsReportedWhenStandardOutputFails() {
        QFETCH(QStringList, arguments);
        Folder folder;
        arguments.replaceInStrings("CSV", q(folder.csv("99")));
        arguments.replaceInStrings("OUT", q(folder.data.file("out.csv")));
        const Run run = tool(QStringList{"--data", q(folder.data.path())} + arguments, "/dev/full");
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.contains("could not be written"));
        if (arguments.contains("import"))
            QVERIFY(contents(folder.data.file("specialty.txt")).startsWith("99,"));
        else
            QVERIFY(contents(folder.data.file("out.csv")).contains("Aldena"));
    }

    // Cells that a spreadsheet would run as formulas get one apostrophe in the CSV, after a byte order mark.
    void csvKeepsFormulasFromRunning_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("cell");
        QTest::newRow("equals") << QByteArray("=1+2") << QByteArray("'=1+2");
        QTest::newRow("plus command")
            << QByteArray("+cmd|' /C calc'!A0") << QByteArray("'+cmd|' /C calc'!A0");
        QTest::newRow("at") << QByteArray("@SUM(1+1)") << QByteArray("'@SUM(1+1)");
        QTest::newRow("minus") << QByteArray("-2+3") << QByteArray("'-2+3");
        QTest::newRow("apostrophe") << QByteArray("'=1") << QByteArray("''=1");
        QTest::newRow("apostrophe alone") << QByteArray("'") << QByteArray("''");
        QTest::newRow("inside") << QByteArray("A=1+2") << QByteArray("A=1+2");
    }
    void csvKeepsFormulasFromRunning() {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, cell);
        DataFolder folder;
        folder.writeFile("specialty.txt", recordLine("5", value.toStdString(), "X", "", "2000", "2001") +
                                              "\r\n" + endRecordLine() + "\r\n");
        const Run run = tool({"--data", q(folder.path()), "export"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.startsWith("\xEF\xBB\xBF"
                                   "VehicleId,"));
        QVERIFY2(run.out.contains("\n5,," + cell + ",X,"), run.out.constData());
    }

    // Cells that are empty are left out of the workbook; import reads them back as empty.
    void workbookLeavesEmptyCellsOut() {
        DataFolder folder;
        const std::string catalogue =
            recordLine("5", "Tarsa", "", "", "2000", "2001") + "\r\n" + endRecordLine() + "\r\n";
        folder.writeFile("specialty.txt", catalogue);
        const QString dir = q(folder.path());
        QCOMPARE(tool({"--data", dir, "export", "-o", dir + "out.xlsx"}).status, 0);
        auto rows = specialty::openWorkbook(folder.file("out.xlsx"));
        QVERIFY2(rows, rows.reason().c_str());
        specialty::TableRow row;
        QVERIFY(rows.value()->next(row).value() && row.cells.size() == 23); // the header
        QVERIFY(rows.value()->next(row).value());
        QString columns;
        for (const specialty::TableCell& cell : row.cells)
            columns += QString::number(cell.column) + " ";
        QCOMPARE(columns, QString("1 3 6 7 ")); // VehicleId, Make, YearFrom, YearTo
        const auto back = specialty::catalogueFromSpreadsheet(folder.file("out.xlsx"));
        QVERIFY2(back, back.reason().c_str());
        QCOMPARE(QString::fromStdString(back.value()),
                 QString("5,,\"Tarsa\",,,2000,2001,,,,,,,,,,,,,,,,\r\n0,,,,,,,,,,,,,,,,,,,,,,\r\n"));
    }

    // The workbook, opened and saved again by a real spreadsheet, still holds every value as it was.
    void workbookKeepsValuesThroughASpreadsheet() {
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty()) return skip("LibreOffice (soffice) is not installed");
        const std::vector<std::string> codes = {"0123", "1E5", "00", "3/4", "2.0", "+4", "12345678901234567",
                                                "=1+2"};
        std::map<int, std::string> parts;
        for (std::size_t i = 0; i < codes.size(); ++i)
            parts[static_cast<int>(i) + 1] = codes[i];
        DataFolder folder;
        folder.writeFile("specialty.txt",
                         recordLine("0012", "V\xE9lomar", "3/4", "+4", "2000", "2001", parts) + "\r\n" +
                             endRecordLine() + "\r\n");
        const QString dir = q(folder.path());
        QCOMPARE(tool({"--data", dir, "export", "-o", dir + "out.XLSX"}).status, 0);

        // A profile of its own, so that other LibreOffice runs cannot get in the way.
        const QString profile = "-env:UserInstallation=file://" + dir + "profile";
        auto convert = [&](const QString& file, const QString& to, const QString& outdir) {
            QProcess office;
            office.start(soffice, {profile, "--headless", "--convert-to", to, "--outdir", outdir, file});
            return office.waitForFinished(180000) && office.exitCode() == 0;
        };
        const QString asCsv = "csv:Text - txt - csv (StarCalc):44,34,76"; // UTF-8
        QVERIFY(convert(dir + "out.XLSX", "xlsx", dir + "saved"));
        QVERIFY(convert(dir + "out.XLSX", asCsv, dir + "direct"));
        QVERIFY(convert(dir + "saved/out.xlsx", asCsv, dir + "again"));
        const QByteArray expected = QByteArray(kHeader) +
                                    "\n0012,,V\xC3\xA9lomar,3/4,+4,2000,2001,0123,1E5,00,3/4,"
                                    "2.0,+4,12345678901234567,=1+2,,,,,,,,\n";
        QCOMPARE(contents(folder.file("direct/out.csv")).replace("\r\n", "\n"), expected);
        QCOMPARE(contents(folder.file("again/out.csv")).replace("\r\n", "\n"), expected);
    }
};

QTEST_MAIN(OutputWritingTest)
#include "test_output_writing.moc"
