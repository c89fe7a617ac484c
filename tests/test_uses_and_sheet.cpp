// specialty-catalogue uses, list --codes and sheet, run as a maintainer runs them: which records use a
// part, byte for byte as the viewer names its files; and a review sheet that stays inside its folder and
// shows whatever the catalogue holds as text.
#include "tool_test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace specialty;
using namespace specialty::test;

namespace {

using Run = ProgramRun;
QJsonObject json(const Run& run) {
    return QJsonDocument::fromJson(run.out).object();
}

// "number@line:slot,slot" for each record of a uses answer.
QStringList users(const QJsonObject& answer) {
    QStringList list;
    for (const QJsonValue& r : answer["records"].toArray()) {
        QStringList slotNumbers;
        for (const QJsonValue& s : r["slots"].toArray())
            slotNumbers << QString("%1 %2").arg(s["slot"].toInt()).arg(s["group"].toString());
        list
            << QString("%1@%2:%3").arg(r["number"].toInt()).arg(r["line"].toInt()).arg(slotNumbers.join(","));
    }
    return list;
}

QString readText(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// Every file below `folder`, relative to it.
QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class UsesAndSheetTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void usesMatchesCodesExactly_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("expected");
        // Record 1 spans lines 1 and 2, so record 2 starts on line 3.
        QTest::newRow("two slots of one record")
            << "P1" << 0 << QStringList{"1@1:1 Rear camber,15 Front caster"};
        QTest::newRow("leading blank is part of the code")
            << " P1" << 0 << QStringList{"2@3:10 Front camber"};
        QTest::newRow("letter case counts") << "p1" << 0 << QStringList{"3@4:7 Rear toe"};
        QTest::newRow("a prefix is not the code") << "P" << 1 << QStringList{};
        QTest::newRow("a trailing blank is not the code") << "P1 " << 1 << QStringList{};
        QTest::newRow("accented code from UTF-8") << "\u00c9T\u00c9" << 0 << QStringList{"3@4:2 Rear camber"};
    }
    void usesMatchesCodesExactly() {
        QFETCH(QString, code);
        QFETCH(int, status);
        QFETCH(QStringList, expected);
        DataFolder folder;
        folder.writePicture("P1", Qt::red);
        const std::string first = recordLine("1", "A", "B", "", "2000", "2005", {{1, "P1"}, {9, "P1"}});
        const std::size_t split = first.find(",P1") + 3; // the record goes on on the next line
        folder.writeCatalogue({first.substr(0, split), first.substr(split + 1),
                               recordLine("2", "C", "D", "", "2000", "2005", {{12, "\" P1\""}}),
                               recordLine("3", "E", "F", "", "2000", "2005", {{6, "p1"}, {2, "\xC9T\xC9"}}),
                               endRecordLine()});
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "--json", "uses", code});
        QCOMPARE(run.status, status);
        const QJsonObject answer = json(run);
        QCOMPARE(users(answer), expected);
        QCOMPARE(answer["outcome"].toString(), QString(status == 0 ? "used" : "not used"));
        QCOMPARE(answer["picture"]["exists"].toBool(), code == "P1");
        QCOMPARE(answer["description"]["exists"].toBool(), false);
    }

    void usesAndListCodesInText() {
        DataFolder folder;
        folder.writeDescription("Q", "q\r\n");
        folder.writeCatalogue(
            {recordLine("7", "A", "B", "", "2000", "2005", {{16, "Q"}, {3, "R"}}), endRecordLine()});
        const QString data = QString::fromStdString(folder.path());
        const Run uses = tool({"--data", data, "uses", "Q"});
        QCOMPARE(uses.status, 0);
        QCOMPARE(QString(uses.out),
                 QString("Part code \"Q\": picture Qill.jpg MISSING, description Q.txt yes\n"
                         "  record 1, line 1: (7) 2000-2005 A / B / : Front camber (slot 14)\n"
                         "1 record uses \"Q\".\n"));
        const Run list = tool({"--data", data, "list", "--codes"});
        QCOMPARE(list.status, 0);
        QVERIFY2(list.out.contains("\n        PartCode3 \"R\", PartCode16 \"Q\"\n"), list.out.constData());
        const QJsonArray codes =
            json(tool({"--data", data, "--json", "list", "--codes"}))["records"][0]["partCodes"].toArray();
        QCOMPARE(codes.size(), 16);
        QCOMPARE(codes[2].toString(), QString("R"));
        QCOMPARE(codes[15].toString(), QString("Q"));
        QCOMPARE(codes[0].toString(), QString());
    }

    void usesNamesWhereTheCatalogueBreaks() {
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2005", {{1, "P1"}}), "2,,C,D,,2000"});
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "--json", "uses", "P1"});
        QCOMPARE(run.status, 2);
        const QJsonObject answer = json(run);
        QCOMPARE(answer["outcome"].toString(), QString("failed"));
        QVERIFY2(answer["message"].toString().contains("record 2") &&
                     answer["message"].toString().contains("line 2"),
                 run.out.constData());
        QCOMPARE(users(answer), QStringList{"1@1:1 Rear camber"}); // what was read before the damage
    }

    // A part is read once however many vehicles use it, and every one of them shows its state: also a part
    // used by more vehicles than the sheet holds uses of at once, whose files are read before its last use
    // comes.
    void everyVehicleShowsItsPartHoweverManyUseIt_data() {
        QTest::addColumn<int>("vehicles");
        QTest::newRow("a few") << 3;
        QTest::newRow("more than are held at once") << 70000;
    }
    void everyVehicleShowsItsPartHoweverManyUseIt() {
        QFETCH(int, vehicles);
        DataFolder folder;
        folder.writePicture("HOT", Qt::blue, QSize(400, 300));
        std::vector<std::string> lines;
        for (int n = 1; n <= vehicles; ++n)
            lines.push_back(recordLine(std::to_string(n), "A", "M" + std::to_string(n % 7), "", "2000",
                                       "2005", {{1, "HOT"}, {2, "Z" + std::to_string(n % 3)}}));
        lines.push_back(endRecordLine());
        folder.writeCatalogue(lines);
        QTemporaryDir out;
        const QString sheet = out.path() + "/sheet";
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "sheet", "-o", sheet});
        QCOMPARE(run.status, 0);
        // HOT sorts first of the codes, so it is part 0; Z0 to Z2 follow it.
        const QString slot = "<a class=\"code\" href=\"parts-1.html#p0\">HOT</a><img src=\"pictures/p0.jpg\"";
        int shown = 0;
        for (const QString& page : filesBelow(sheet))
            if (page.startsWith("make-")) shown += readText(sheet + "/" + page).count(slot);
        QCOMPARE(shown, vehicles);
        const QString parts = readText(sheet + "/parts-1.html");
        QVERIFY(parts.contains(QString("<p>Used by %1 vehicles:</p>").arg(vehicles)));
        QCOMPARE(parts.contains(QString("<li>and %1 more:").arg(vehicles - 50)), vehicles > 50);
        for (const char* code : {"id=\"p1\"", "id=\"p3\"", "<h2 class=\"code\">Z2</h2>"})
            QVERIFY2(parts.contains(code), code);
        QCOMPARE(filesBelow(sheet + "/pictures"), QStringList{"p0.jpg"});
    }

    void sheetShowsHostileTextAsTextAndStaysInItsFolder() {
        DataFolder folder;
        folder.writePicture("P1", Qt::blue, QSize(400, 300));
        folder.writeFile("BADill.jpg", "not a picture");
        folder.writeDescription("P1", "<img src=x onerror=alert(1)>\r\n");
        folder.writeCatalogue(
            {recordLine("1", "\"<script>alert(1)</script>\"", "\"*><b>bold</b>\"", "\"it's\"", "2000", "2005",
                        {{1, "../evil"}, {2, "<i>x</i>"}, {3, "P1"}, {4, "BAD"}, {5, "MISSING"}, {6, "a'b"}}),
             recordLine("2", "\"../../etc\"", "\"<a href=x>\"", "", "2000", "2005", {{1, "P1"}}),
             endRecordLine()});
        QTemporaryDir out;
        const QString sheet = out.path() + "/sheet";
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "sheet", "-o", sheet});
        QCOMPARE(run.status, 0);
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"sheet"});
        const QRegularExpression fileName("^(\\.specialty-sheet|sheet\\.css|index\\.html|(make|parts|"
                                          "findings)-[0-9]+\\.html|pictures/p[0-9]+\\.jpg)$");
        const QRegularExpression safeLink(
            "^((index|(make|parts|findings)-[0-9]+)\\.html(#[rpf][0-9]+)?|#i[0-9]+|"
            "pictures/p[0-9]+\\.jpg|sheet\\.css)$");
        const QRegularExpression reference("\\b(href|src)=\"([^\"]*)\"");
        QString all;
        for (const QString& name : filesBelow(sheet)) {
            QVERIFY2(fileName.match(name).hasMatch(), qPrintable(name));
            if (!name.endsWith(".html")) continue;
            const QString html = readText(sheet + "/" + name);
            all += html;
            for (auto it = reference.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(2);
                QVERIFY2(safeLink.match(target).hasMatch(), qPrintable(name + ": " + target));
            }
        }
        for (const char* raw : {"<script", "<b>", "<i>", "<a href=x", "<img src=x", "it's", "a'b"})
            QVERIFY2(!all.contains(raw), raw);
        for (const char* escaped :
             {"&lt;script&gt;alert(1)&lt;/script&gt;", "&quot;&gt;&lt;b&gt;bold&lt;/b&gt;", "it&#39;s",
              "../evil", "&lt;img src=x onerror=alert(1)&gt;", "a&#39;b"})
            QVERIFY2(all.contains(escaped), escaped);
        // The picture states, each where the part's picture would stand.
        for (const char* mark : {"no picture file MISSINGill.jpg", "the picture does not decode",
                                 "the code is not a plain file name", "no description file BAD.txt"})
            QVERIFY2(all.contains(mark), mark);
        int thumbnails = 0;
        for (const QString& name : filesBelow(sheet + "/pictures")) {
            const QImage thumbnail(sheet + "/pictures/" + name);
            QCOMPARE(thumbnail.size(), QSize(160, 120));
            ++thumbnails;
        }
        QCOMPARE(thumbnails, 1); // only P1 decodes
    }

    // The sheet is made to be shared: a part file that is a link leading outside the data folder is marked,
    // never read, and check names where it leads; a link that stays inside is followed as the viewer does.
    void partFilesLinkedOutsideAreNeverPublished_data() {
        QTest::addColumn<QString>("file"); // the part file made a link
        QTest::addColumn<bool>("outside");
        QTest::newRow("description linked outside") << "LNKD.txt" << true;
        QTest::newRow("picture linked outside") << "LNKDill.jpg" << true;
        QTest::newRow("description linked inside") << "LNKD.txt" << false;
        QTest::newRow("picture linked inside") << "LNKDill.jpg" << false;
    }
    void partFilesLinkedOutsideAreNeverPublished() {
        QFETCH(QString, file);
        QFETCH(bool, outside);
        DataFolder folder;
        DataFolder elsewhere;
        const std::string secret = "root:*:20228:0:99999:7:::";
        for (const DataFolder* where : {&folder, &elsewhere}) {
            where->writeDescription("REAL", secret + "\r\n");
            where->writePicture("REAL", Qt::red, QSize(400, 300));
        }
        const std::string name = file.toStdString();
        const std::string real = name.find(".txt") != std::string::npos ? "REAL.txt" : "REALill.jpg";
        const std::string target = (outside ? elsewhere : folder).file(real);
        QCOMPARE(::symlink(target.c_str(), folder.file(name).c_str()), 0);
        if (name == "LNKD.txt")
            folder.writePicture("LNKD", Qt::blue, QSize(400, 300));
        else
            folder.writeDescription("LNKD", "Plain words\r\n");
        folder.remove("REAL.txt");
        folder.remove("REALill.jpg");
        if (!outside) { // the link's target is the folder's own
            folder.writeDescription("REAL", secret + "\r\n");
            folder.writePicture("REAL", Qt::red, QSize(400, 300));
        }
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", "2000", "2005", {{1, "LNKD"}}), endRecordLine()});
        QTemporaryDir out;
        const QString sheet = out.path() + "/sheet";
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "sheet", "-o", sheet});
        QCOMPARE(run.status, 0);
        QString all;
        for (const QString& page : filesBelow(sheet))
            if (page.endsWith(".html")) all += readText(sheet + "/" + page);
        const bool description = name == "LNKD.txt";
        QCOMPARE(all.contains(QString::fromStdString(secret)), description && !outside);
        QCOMPARE(all.contains(file + " is a link leading outside the data folder: not shown"), outside);
        QCOMPARE(filesBelow(sheet + "/pictures").size(), description || !outside ? 1 : 0);

        const Run check = tool({"--data", QString::fromStdString(folder.path()), "check"});
        const QString warning = QString("part code \"LNKD\" (first used by record 1) has a file %1 that is a "
                                        "link leading outside the data folder, to %2")
                                    .arg(file, QFileInfo(QString::fromStdString(target)).canonicalFilePath());
        QCOMPARE(QString::fromUtf8(check.out + check.err).contains(warning), outside);
    }

    // Someone who can change the data folder points a part file's link outside the moment it has been
    // judged to lie inside: the sheet shows what it judged, the file inside, never the one outside.
    void partFileSwappedAfterItsJudgementIsNotPublished_data() {
        QTest::addColumn<QString>("file"); // the part file that is a link
        QTest::newRow("description") << "LNKD.txt";
        QTest::newRow("picture") << "LNKDill.jpg";
    }
    void partFileSwappedAfterItsJudgementIsNotPublished() {
        QFETCH(QString, file);
        DataFolder folder;
        DataFolder elsewhere;
        const std::string secret = "root:*:20228:0:99999:7:::";
        elsewhere.writeDescription("REAL", secret + "\r\n");
        elsewhere.writePicture("REAL", Qt::red, QSize(400, 300));
        folder.writeDescription("REAL", "Plain words\r\n");
        folder.writePicture("REAL", Qt::blue, QSize(400, 300));
        const std::string name = file.toStdString();
        const std::string real = name == "LNKD.txt" ? "REAL.txt" : "REALill.jpg";
        QCOMPARE(::symlink(folder.file(real).c_str(), folder.file(name).c_str()), 0);
        folder.writeCatalogue(
            {recordLine("1", "A", "B", "", "2000", "2005", {{1, "LNKD"}}), endRecordLine()});
        QTemporaryDir out;
        const QString sheet = out.path() + "/sheet";
        const QByteArray sanitizerOptions = qgetenv("ASAN_OPTIONS");
        qputenv("LD_PRELOAD", SPECIALTY_SWAP_LINK);
        qputenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
        qputenv("SPECIALTY_SWAP_LINK", QByteArray::fromStdString(folder.file(name)));
        qputenv("SPECIALTY_SWAP_TARGET", QByteArray::fromStdString(elsewhere.file(real)));
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "sheet", "-o", sheet});
        for (const char* variable : {"LD_PRELOAD", "SPECIALTY_SWAP_LINK", "SPECIALTY_SWAP_TARGET"})
            qunsetenv(variable);
        qputenv("ASAN_OPTIONS", sanitizerOptions);
        QCOMPARE(run.status, 0);
        QCOMPARE(QFileInfo(QString::fromStdString(folder.file(name))).symLinkTarget(),
                 QFileInfo(QString::fromStdString(elsewhere.file(real))).absoluteFilePath());
        QString all;
        for (const QString& page : filesBelow(sheet))
            if (page.endsWith(".html")) all += readText(sheet + "/" + page);
        QVERIFY(!all.contains(QString::fromStdString(secret)));
        QCOMPARE(all.contains("Plain words"), name == "LNKD.txt");
        // The thumbnail, if any, is of the blue picture inside, never of the red one outside.
        for (const QString& thumb : filesBelow(sheet + "/pictures")) {
            const QColor middle = QImage(sheet + "/pictures/" + thumb).pixelColor(80, 60);
            QVERIFY2(middle.blue() > 200 && middle.red() < 60, qPrintable(middle.name()));
        }
    }

    void sheetWritesOnlyWhereItMay_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("status");
        QTest::newRow("new nested folder") << "" << 0;
        QTest::newRow("empty folder") << "mkdir" << 0;
        QTest::newRow("a file") << "file" << 2;
        QTest::newRow("a folder of other files") << "foreign" << 2;
        QTest::newRow("an earlier sheet with a link in it") << "earlier" << 0;
        QTest::newRow("a folder others may write into") << "open" << 2;
        QTest::newRow("a folder others may write into, with the sticky bit") << "sticky" << 0;
        QTest::newRow("a folder of another user") << "others" << 2;
        QTest::newRow("another user's folder others may write into") << "others-open" << 2;
    }
    void sheetWritesOnlyWhereItMay() {
        QFETCH(QString, setup);
        QFETCH(int, status);
        DataFolder folder;
        folder.writeCatalogue({recordLine("1", "A", "B", "", "2000", "2005"), endRecordLine()});
        QTemporaryDir out;
        const QString target = out.path() + "/a/b";
        const QString outside = out.path() + "/outside.txt";
        QFile(outside).open(QIODevice::WriteOnly);
        QDir().mkpath(out.path() + "/a");
        if (setup.startsWith("others") && ::geteuid() != 0)
            return QTest::qSkip("giving a folder to another user needs root", __FILE__, __LINE__);
        if (setup == "mkdir" || setup == "foreign" || setup == "open" || setup == "sticky" ||
            setup.startsWith("others"))
            QDir().mkpath(target);
        const QByteArray folderPath = QFile::encodeName(target);
        if (setup == "open" || setup == "others-open") QCOMPARE(::chmod(folderPath.constData(), 0777), 0);
        if (setup == "sticky") QCOMPARE(::chmod(folderPath.constData(), 01777), 0);
        if (setup.startsWith("others")) QCOMPARE(::chown(folderPath.constData(), 12345, 12345), 0);
        if (setup == "file") QFile(target).open(QIODevice::WriteOnly);
        if (setup == "foreign") QFile(target + "/notes.txt").open(QIODevice::WriteOnly);
        const QString data = QString::fromStdString(folder.path());
        if (setup == "earlier") {
            QCOMPARE(tool({"--data", data, "sheet", "-o", target}).status, 0);
            QFile::remove(target + "/index.html");
            QVERIFY(QFile::link(outside, target + "/index.html"));
        }
        const Run run = tool({"--data", data, "--json", "sheet", "-o", target});
        QCOMPARE(run.status, status);
        QCOMPARE(json(run)["outcome"].toString(), QString(status == 0 ? "written" : "failed"));
        QCOMPARE(QFileInfo(outside).size(), 0); // a link is replaced, never written through
        QCOMPARE(QFileInfo(target + "/index.html").isFile() && !QFileInfo(target + "/index.html").isSymLink(),
                 status == 0);
        if (setup == "foreign") QCOMPARE(filesBelow(target), QStringList{"notes.txt"});
        if (setup == "open" || setup.startsWith("others")) QCOMPARE(filesBelow(target), QStringList());
    }

    // Someone who can change the path swaps the thumbnails' folder for a link as soon as the first
    // thumbnail lands in it: every later thumbnail still goes into the folder the sheet made.
    void sheetWritesIntoTheFolderItOpenedWhateverThePathBecomes() {
        DataFolder folder;
        std::vector<std::string> records;
        for (int n = 0; n < 6; ++n) {
            const std::string code = "P" + std::to_string(n);
            folder.writePicture(code, QColor(40 * n, 90, 160), QSize(400, 300));
            records.push_back(
                recordLine(std::to_string(n + 1), "Make", "Model", "", "2000", "2005", {{1, code}}));
        }
        records.push_back(endRecordLine());
        folder.writeCatalogue(records);
        QTemporaryDir out;
        QVERIFY(QDir().mkpath(out.path() + "/elsewhere"));
        QFile planted(out.path() + "/elsewhere/p1.jpg");
        QVERIFY(planted.open(QIODevice::WriteOnly) && planted.write("mine") == 4);
        planted.close();
        const QString sheet = out.path() + "/sheet";
        const QByteArray sanitizerOptions = qgetenv("ASAN_OPTIONS");
        qputenv("LD_PRELOAD", SPECIALTY_SWAP_FOLDER);
        // In a sanitizer build the shim comes before the sanitizer's runtime, which must be told so.
        qputenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
        qputenv("SPECIALTY_SWAP_FOLDER", QFile::encodeName(sheet + "/pictures"));
        qputenv("SPECIALTY_SWAP_TARGET", QFile::encodeName(out.path() + "/elsewhere"));
        const Run run = tool({"--data", QString::fromStdString(folder.path()), "sheet", "-o", sheet});
        for (const char* name : {"LD_PRELOAD", "SPECIALTY_SWAP_FOLDER", "SPECIALTY_SWAP_TARGET"})
            qunsetenv(name);
        qputenv("ASAN_OPTIONS", sanitizerOptions);
        QVERIFY2(QFileInfo(sheet + "/pictures").isSymLink(), "the folder was not swapped");
        QCOMPARE(filesBelow(out.path() + "/elsewhere"), QStringList{"p1.jpg"});
        QCOMPARE(readText(out.path() + "/elsewhere/p1.jpg"), QString("mine"));
        QCOMPARE(filesBelow(sheet + "/pictures.real").size(), 6);
        QCOMPARE(run.status, 0);
    }
};

QTEST_MAIN(UsesAndSheetTest)
#include "test_uses_and_sheet.moc"
