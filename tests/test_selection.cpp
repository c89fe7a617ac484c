// The selection text and its fields, the year rule, the name test, the code page and the command line.
#include "catalogue/data_folder.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_selection.h"
#include "viewer/command_line.h"

#include <QTest>

using namespace specialty;

class SelectionTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void columnsAndTrimming() {
        const std::string text = joinSelection("Brisko", "Meridian", "Estate 4WD", "2003", "2005");
        QCOMPARE(text.size(), std::size_t(80));
        VehicleSelection s = splitSelection(text);
        QCOMPARE(s.Make, std::string_view("Brisko"));
        QCOMPARE(s.Model, std::string_view("Meridian"));
        QCOMPARE(s.Submodel, std::string_view("Estate 4WD"));
        QCOMPARE(s.Year1, std::string_view("2003"));
        QCOMPARE(s.Year2, std::string_view("2005"));

        // The separator columns 15, 37, 69 and 75 and everything after 80 are not read.
        std::string marked = text + "tail";
        for (std::size_t column : {15, 37, 69, 75})
            marked[column - 1] = 'X';
        VehicleSelection m = splitSelection(marked);
        QCOMPARE(m.Make, s.Make);
        QCOMPARE(m.Submodel, s.Submodel);
        QCOMPARE(m.Year2, s.Year2);
    }

    void shortTextsLeaveFieldsShortOrEmpty() {
        VehicleSelection s = splitSelection("Brisko        XMerid");
        QCOMPARE(s.Make, std::string_view("Brisko"));
        QCOMPARE(s.Model, std::string_view("Merid"));
        QVERIFY(s.Submodel.empty());
        QVERIFY(s.Year1.empty() && s.Year2.empty());
        QCOMPARE(splitSelection("-1").Make, std::string_view("-1"));
    }

    void onlySpacesAreTrimmed() {
        VehicleSelection s = splitSelection("\tBrisko ");
        QCOMPARE(s.Make, std::string_view("\tBrisko"));
    }

    void years_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value"); // -99999: not a year
        QTest::newRow("plain") << QByteArray("1998") << 1998;
        QTest::newRow("blanks around") << QByteArray("  2004 \t") << 2004;
        QTest::newRow("smallest") << QByteArray("-32768") << -32768;
        QTest::newRow("largest") << QByteArray("32767") << 32767;
        QTest::newRow("plus sign") << QByteArray("+12") << 12;
        QTest::newRow("leading zeros") << QByteArray("0001999") << 1999;
        QTest::newRow("too large") << QByteArray("32768") << -99999;
        QTest::newRow("too small") << QByteArray("-32769") << -99999;
        QTest::newRow("huge") << QByteArray("99999999999999999999") << -99999;
        QTest::newRow("empty") << QByteArray("") << -99999;
        QTest::newRow("blank") << QByteArray("   ") << -99999;
        QTest::newRow("sign alone") << QByteArray("-") << -99999;
        QTest::newRow("fraction") << QByteArray("1999.5") << -99999;
        QTest::newRow("letters") << QByteArray("19x9") << -99999;
        QTest::newRow("blank inside") << QByteArray("19 99") << -99999;
        QTest::newRow("hex") << QByteArray("0x7D0") << -99999;
    }
    void years() {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        auto year = parseYear(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        QCOMPARE(year ? int(*year) : -99999, value);
    }

    void nameTest() {
        QVERIFY(sameName("brisko", "BRISKO", 0));
        QVERIFY(!sameName("brisk", "BRISKO", 0));
        // Letters of the code page: e acute, S caron, OE ligature, y diaeresis.
        QVERIFY(sameName("v\xE9lomar", "V\xC9LOMAR", 0));
        QVERIFY(sameName("\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", 0)); // s, oe, z with caron; y diaeresis
        QVERIFY(!sameName("\xF7", "\xD7", 0)); // division and multiplication signs are not letters
        // "*" read as a double quote, only as many times as the field allows.
        QVERIFY(sameName("16\" wheel", "16* wheel", 1));
        QVERIFY(!sameName("16* wheel", "16* wheel", 1));
        QVERIFY(sameName("a\"b*", "a*b*", 1));
        QVERIFY(sameName("a\"b\"c*", "a*b*c*", 2));
        // A character the code page lacks matches nothing, not even the byte that stands for it.
        QVERIFY(!sameName("\x81", "\x81", 0));
    }

    void codePage() {
        QCOMPARE(utf8ToWindows1252("V\xC3\xA9lomar \xE2\x82\xAC"), std::string("V\xE9lomar \x80"));
        QCOMPARE(windows1252ToUtf8("V\xE9lomar \x80"), std::string("V\xC3\xA9lomar \xE2\x82\xAC"));
        // Bytes that are not well-formed UTF-8 are taken as code-page bytes: 8-bit hosts keep working, and
        // a character cut in the middle cannot break the conversion.
        QCOMPARE(utf8ToWindows1252("Citro\xEBn"), std::string("Citro\xEBn"));
        QCOMPARE(utf8ToWindows1252("ab\xC3"), std::string("ab\xC3"));
        QCOMPARE(utf8ToWindows1252("\xE2\x82"), std::string("\xE2\x82"));
        QCOMPARE(utf8ToWindows1252("\xED\xA0\x80"), std::string("\xED\xA0\x80")); // a surrogate
        QCOMPARE(utf8ToWindows1252("\xC0\xAF"), std::string("\xC0\xAF"));         // overlong
        // Characters outside the code page.
        QCOMPARE(utf8ToWindows1252("\xE4\xB8\xAD"), std::string(1, char(kUnmappable)));
        // Every byte survives the round trip through UTF-8.
        std::string all;
        for (int c = 0; c < 256; ++c)
            all += static_cast<char>(c);
        QCOMPARE(utf8ToWindows1252(windows1252ToUtf8(all)), all);
        QCOMPARE(printableForMessage(std::string("a\0\n\x80", 4)), std::string("a\\x00\\x0A\xE2\x82\xAC"));
        QCOMPARE(printableForMessage(std::string(100, 'z'), 5), std::string("zzzzz..."));
    }

    void commandLine() {
        const char* none[] = {"specialty-parts"};
        QCOMPARE(commandLineText(1, none), std::string());
        const char* one[] = {"specialty-parts", "  Brisko  -platform x "};
        QCOMPARE(commandLineText(2, one), std::string("  Brisko  -platform x "));
        const char* several[] = {"specialty-parts", "Brisko", "-style", "x"};
        QCOMPARE(commandLineText(4, several), std::string("Brisko -style x"));

        QVERIFY(isDemoKeyword("DEMO"));
        QVERIFY(isDemoKeyword("demo"));
        QVERIFY(isDemoKeyword("Demo"));
        QVERIFY(!isDemoKeyword("DEMO "));
        QVERIFY(!isDemoKeyword(" DEMO"));
        QVERIFY(!isDemoKeyword("DEMOS"));
        QVERIFY(!isDemoKeyword(""));
    }

    void partFileNames() {
        QCOMPARE(dataFolderBelow("/"), std::string("/tolvane/quintar/"));
        QCOMPARE(dataFolderBelow("/srv/rack"), std::string("/srv/rack/tolvane/quintar/"));
        QCOMPARE(*partFilePath("/d/", "AC1001", kPictureSuffix), std::string("/d/AC1001ill.jpg"));
        QCOMPARE(*partFilePath("/d/", " A ", kDescriptionSuffix), std::string("/d/ A .txt"));
        QCOMPARE(*partFilePath("/d/", "", kDescriptionSuffix), std::string("/d/.txt"));
        QCOMPARE(*partFilePath("/d/", "\xE9", kDescriptionSuffix), std::string("/d/\xC3\xA9.txt"));
        for (const char* bad : {"../etc/passwd", "a/b", "a\\b", "..", "."})
            QVERIFY2(!partFilePath("/d/", bad, kPictureSuffix), bad);
        QVERIFY(!partFilePath("/d/", std::string("a\0b", 3), kPictureSuffix));
        QVERIFY(partFilePath("/d/", "..a", kPictureSuffix));
    }
};

// These tests need no application object. Qt's own main macro for that trips clang's -Wpedantic.
int main(int argc, char** argv) {
    SelectionTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_selection.moc"
