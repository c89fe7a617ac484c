// Files that are not what they claim and text that is not what it claims: every case ends in a result
// (found, not found, a failure with its reason, or a part shown as missing), never a crash or a hang.
#include "test_support.h"

#include "catalogue/description_reader.h"
#include "catalogue/messages.h"
#include "catalogue/regular_file.h"
#include "catalogue/src/list_reader.h"
#include "catalogue/vehicle_search.h"
#include "catalogue/vehicle_selection.h"
#include "pictures/picture_loader.h"
#include "viewer/src/description_label.h"
#include "viewer/src/picture_box.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace specialty;
using namespace specialty::test;

namespace {

enum class Kind { Directory, Fifo, DeviceLink, Empty, NoPermission };

const Kind kKinds[] = {Kind::Directory, Kind::Fifo, Kind::DeviceLink, Kind::Empty, Kind::NoPermission};

const char* kindName(Kind kind) {
    const char* names[] = {"directory", "FIFO", "link to /dev/zero", "empty file", "no read permission"};
    return names[static_cast<int>(kind)];
}

void make(const DataFolder& folder, const std::string& name, Kind kind) {
    const std::string path = folder.file(name);
    switch (kind) {
    case Kind::Directory:
        QVERIFY(QDir().mkdir(QString::fromStdString(path)));
        break;
    case Kind::Fifo:
        QCOMPARE(::mkfifo(path.c_str(), 0644), 0);
        break;
    case Kind::DeviceLink:
        QCOMPARE(::symlink("/dev/zero", path.c_str()), 0);
        break;
    case Kind::Empty:
        folder.writeFile(name, "");
        break;
    case Kind::NoPermission:
        folder.writeFile(name, "1,,A,B,,2000,2000,,,,,,,,,,,,,,,,\r\n");
        QCOMPARE(::chmod(path.c_str(), 0), 0);
        QCOMPARE(::chmod(folder.path().c_str(), 0755), 0);
        break;
    }
}

// Runs `check` as a user without privileges (root reads every file whatever its mode) and returns its answer.
bool unprivileged(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    pid_t child = ::fork();
    if (child == 0) {
        bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int openFileCount() {
    return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

std::string anyVehicle() {
    return joinSelection("A", "B", "", "2000", "2000");
}

} // namespace

class HostileFilesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void catalogueThatIsNotAFile() {
        for (Kind kind : kKinds) {
            DataFolder folder;
            make(folder, "specialty.txt", kind);
            auto outcome = [&] { return findVehicle(anyVehicle(), folder.path()); };
            if (kind == Kind::Empty) {
                const Lookup r = outcome();
                QVERIFY(r.ok() && !r->has_value());
            } else if (kind == Kind::NoPermission) {
                QVERIFY(unprivileged([&] {
                    const Lookup r = outcome();
                    return !r.ok() &&
                           r.reason().find("cannot be opened: Permission denied") != std::string::npos;
                }));
            } else {
                const Lookup r = outcome();
                QVERIFY2(!r.ok() && r.reason().find("cannot be opened") != std::string::npos, kindName(kind));
            }
        }
    }

    void pictureThatIsNotAFile() {
        for (Kind kind : kKinds) {
            DataFolder folder;
            folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2000", {{1, "BAD"}, {2, "GOOD"}})});
            folder.writePicture("GOOD", Qt::green);
            make(folder, "BADill.jpg", kind);
            RecordingWindow w(folder);
            w->session().lookUp(anyVehicle());
            auto* bad = w.control<PictureBox>("Image1");
            QVERIFY2(bad->picture().isNull(), kindName(kind));
            QVERIFY(bad->hasBorder());
            QCOMPARE(w.control<QLabel>("Label1")->text(), QString("BAD"));
            QVERIFY(!w.control<PictureBox>("Image2")->picture().isNull());
            if (kind == Kind::NoPermission) {
                const std::string path = folder.file("BADill.jpg");
                QVERIFY(unprivileged([&] { return !readWholeFile(path, 1 << 20).ok(); }));
            }
        }
    }

    void descriptionThatIsNotAFile() {
        for (Kind kind : kKinds) {
            DataFolder folder;
            folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2000", {{1, "BAD"}})});
            make(folder, "BAD.txt", kind);
            RecordingWindow w(folder);
            w->session().lookUp(anyVehicle());
            w->session().zoom(1);
            if (kind != Kind::NoPermission || ::geteuid() != 0)
                QVERIFY2(w.control<DescriptionLabel>("lblIllText")->caption().isEmpty(), kindName(kind));
            if (kind == Kind::NoPermission) {
                const std::string path = folder.file("BAD.txt");
                QVERIFY(unprivileged([&] { return !readDescription(path).ok(); }));
            }
        }
    }

    void hugeDescriptionsAreCut() {
        DataFolder folder;
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", "2000", "2000", {{1, "LINES"}, {2, "ONELINE"}})});
        std::string lines;
        while (lines.size() < 50'000'000)
            lines += "A line of a description that goes on and on, and on\r\n";
        folder.writeDescription("LINES", lines);
        folder.writeDescription("ONELINE", std::string(50'000'000, 'x'));
        RecordingWindow w(folder);
        w->session().lookUp(anyVehicle());
        for (int slot : {1, 2}) {
            w->session().zoom(slot);
            const QString caption = w.control<DescriptionLabel>("lblIllText")->caption();
            QVERIFY(caption.size() <= int(kMaxDescriptionBytes + kDescriptionCutNote.size() + 4));
            QVERIFY(caption.endsWith(
                QString::fromLatin1(kDescriptionCutNote.data(), kDescriptionCutNote.size()) + "\n\r"));
            w.click("cmdHide");
        }
    }

    void linksInsideTheDataFolder() {
        DataFolder outside;
        outside.writePicture("ELSEWHERE", Qt::blue);
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2000", {{1, "LINKED"}, {2, "ZERO"}})});
        QCOMPARE(::symlink(outside.file("ELSEWHEREill.jpg").c_str(), folder.file("LINKEDill.jpg").c_str()),
                 0);
        QCOMPARE(::symlink("/dev/zero", folder.file("ZERO.txt").c_str()), 0);
        RecordingWindow w(folder);
        w->session().lookUp(anyVehicle());
        QVERIFY(
            !w.control<PictureBox>("Image1")->picture().isNull()); // a link to an ordinary file is followed
        w->session().zoom(2);
        QVERIFY(w.control<DescriptionLabel>("lblIllText")->caption().isEmpty());
    }

    void textThatIsNotWhatItClaims() {
        // Control characters, NUL bytes and bytes the code page does not assign, in every kind of field.
        const std::string weird = std::string("A\0\x01\x1B\x81\x8D\x7F", 7);
        std::string bytes =
            weird + ",,\"" + weird + "\"," + weird + ",B,2000,2000," + weird + std::string(15, ',') + "\r\n";
        const Lookup r = findVehicleInBytes("-1", bytes, "c", 64);
        QVERIFY(r.ok() && r->has_value());
        QCOMPARE(r.value()->record.Make, weird);
        QCOMPARE(r.value()->record.partCode(1), weird);
        DataFolder folder;
        folder.writeFile("specialty.txt", bytes);
        RecordingWindow w(folder);
        w->session().lookUp("-1");
        QCOMPARE(w.control<QLabel>("Label1")->text().size(), 7);
        w->session().zoom(1); // the code holds a NUL byte: never a path
        QVERIFY(w.control<DescriptionLabel>("lblIllText")->caption().isEmpty());
    }

    void hugeLinesAndQuotesThatNeverClose() {
        const std::string oneField(100'000'000, 'x');
        Lookup r = findVehicleInBytes(anyVehicle(), oneField, "c", ListReader::kDefaultChunkBytes);
        QVERIFY(!r.ok());
        std::string commas(100'000'000, ',');
        r = findVehicleInBytes(anyVehicle(), commas, "c", ListReader::kDefaultChunkBytes);
        QVERIFY(!r.ok()); // 100 MB of commas is records of empty fields; the last one is cut short
        QVERIFY(r.reason().find("ends in the middle of record") != std::string::npos);
        r = findVehicleInBytes(anyVehicle(), "1,,\"A,B,2000\r\n,,,,,,,,,,,,,,,,,,,,,,,,,,\r\n", "c", 8);
        QVERIFY(!r.ok());
    }

    void commandLinesThatAreNotWhatTheyClaim() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "Citro\xEBn", "B", "", "2000", "2000"), endRecordLine()});
        RecordingWindow w(folder);
        w->load(std::string(1 << 20, 'A'));
        w->session().lookUp(joinSelection("Citro\xC3", "B", "", "2000", "2000")); // cut in the middle
        w->session().lookUp(std::string("Citro\xC3\xAB") + "n");                  // whole, but short
        QCOMPARE(w.messages, (QStringList{kNoMatchMessage, kNoMatchMessage, kNoMatchMessage}));
    }

    void filesAreClosedOnEveryPath() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "x"), std::string("2,,short")});
        folder.writeDescription("D", "text\r\n");
        const int before = openFileCount();
        for (int i = 0; i < 20; ++i) {
            (void)findVehicle(anyVehicle(), folder.path());                         // a bad year
            (void)findVehicle(joinSelection("Z", "", "", "1", "1"), folder.path()); // cut short
            (void)findVehicle(anyVehicle(), folder.path() + "missing/");
            (void)readDescription(folder.file("D.txt"));
            (void)loadPicture(folder.file("D.txt"));
        }
        QCOMPARE(openFileCount(), before);
    }

    void filesThatVanishBetweenTheTestAndTheRead() {
        // What the presentation and the zoom view do after their existence test, when the file is gone.
        DataFolder folder;
        QVERIFY(!loadPicture(folder.file("GONEill.jpg")));
        QVERIFY(!readDescription(folder.file("GONE.txt")).ok());
    }
};

QTEST_MAIN(HostileFilesTest)
#include "test_hostile_files.moc"
