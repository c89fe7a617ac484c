// The list syntax: items, quoting, blanks, line ends, and records of 23 fields, read through buffers of
// every size so that an item or a line end split between two reads is read like any other.
#include "catalogue/description_reader.h"
#include "catalogue/record_reader.h"
#include "catalogue/src/catalogue_file.h"
#include "catalogue/src/list_reader.h"
#include "reference_catalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <random>

using namespace specialty;

namespace {

const int kChunkSizes[] = {1, 2, 3, 5, 16, 4096};

QByteArrayList readItems(const QByteArray& input, std::size_t chunk, std::size_t maxItem = 1024) {
    ListReader reader(maxItem, chunk);
    reader.openMemory(std::string_view(input.constData(), static_cast<std::size_t>(input.size())));
    QByteArrayList items;
    while (!reader.atEnd()) {
        reader.beginUnit();
        ItemSpan item;
        if (!reader.readItem(item)) {
            items << "<cut>";
            break;
        }
        std::string_view text = reader.text(item);
        items << QByteArray(text.data(), static_cast<qsizetype>(text.size())) +
                     (item.truncated ? "<truncated>" : "");
    }
    return items;
}

std::string record(const char* first, int fields) {
    std::string line = first;
    for (int i = 1; i < fields; ++i)
        line += "," + std::to_string(i + 1);
    return line;
}

} // namespace

class ListSyntaxTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void items_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::newRow("commas") << QByteArray("a,b,c") << QByteArrayList{"a", "b", "c"};
        QTest::newRow("line ends end items")
            << QByteArray("a\r\nb\nc\rd") << QByteArrayList{"a", "b", "c", "d"};
        QTest::newRow("leading blanks skipped") << QByteArray("  a,\t b") << QByteArrayList{"a", "b"};
        QTest::newRow("trailing blanks dropped") << QByteArray("a  ,b \t\r\n") << QByteArrayList{"a", "b"};
        QTest::newRow("quoted keeps blanks and commas")
            << QByteArray("\" a, b \",c") << QByteArrayList{" a, b ", "c"};
        QTest::newRow("quoted runs over a line end")
            << QByteArray("\"a\r\nb\",c") << QByteArrayList{"a\r\nb", "c"};
        QTest::newRow("text after a closing quote ignored")
            << QByteArray("\"a\"xyz,b") << QByteArrayList{"a", "b"};
        QTest::newRow("quote inside unquoted item kept")
            << QByteArray("ab\"c,d") << QByteArrayList{"ab\"c", "d"};
        QTest::newRow("two commas give an empty item") << QByteArray("a,,b") << QByteArrayList{"a", "", "b"};
        QTest::newRow("comma before line end gives an empty item")
            << QByteArray("a,\r\nb") << QByteArrayList{"a", "", "b"};
        QTest::newRow("comma before end of file gives an empty item")
            << QByteArray("a,") << QByteArrayList{"a", ""};
        QTest::newRow("empty lines skipped") << QByteArray("a\r\n\r\n\n  \r\nb") << QByteArrayList{"a", "b"};
        QTest::newRow("line of commas") << QByteArray(",,\r\nx") << QByteArrayList{"", "", "", "x"};
        QTest::newRow("empty quoted item") << QByteArray("\"\",a") << QByteArrayList{"", "a"};
        QTest::newRow("quote that never closes runs to the end")
            << QByteArray("a,\"bc,d\r\ne") << QByteArrayList{"a", "bc,d\r\ne"};
        QTest::newRow("blank tail is the end") << QByteArray("a\r\n  \r\n\t") << QByteArrayList{"a"};
        QTest::newRow("nothing at all") << QByteArray("") << QByteArrayList{};
        QTest::newRow("NUL and control bytes are text")
            << QByteArray("a\0b,\x01", 5) << QByteArrayList{QByteArray("a\0b", 3), "\x01"};
    }
    void items() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArrayList, expected);
        for (int chunk : kChunkSizes)
            QCOMPARE(readItems(input, static_cast<std::size_t>(chunk)), expected);
    }

    void overlongItemsKeepTheirStart() {
        const QByteArray longItem(5000, 'x');
        for (int chunk : kChunkSizes) {
            QCOMPARE(readItems(longItem + ",b", static_cast<std::size_t>(chunk), 100),
                     (QByteArrayList{QByteArray(100, 'x') + "<truncated>", "b"}));
            QCOMPARE(readItems("\"" + longItem + "\",b", static_cast<std::size_t>(chunk), 100),
                     (QByteArrayList{QByteArray(100, 'x') + "<truncated>", "b"}));
        }
    }

    void recordsIgnoreLineBoundaries() {
        // One record over two lines, then two records on one line.
        const std::string bytes =
            "1,,A,B,C,2000,2001,p1\r\n,,,,,,,,,,,,,,p16\r\n" + record("2", 23) + "," + record("3", 23);
        for (int chunk : kChunkSizes) {
            CatalogueFile file(static_cast<std::size_t>(chunk));
            file.openMemory(bytes);
            RawRecord raw;
            QVERIFY(!file.atEnd());
            QCOMPARE(file.readRecord(raw), CatalogueFile::Read::Record);
            QCOMPARE(raw[kPartCode1], std::string_view("p1"));
            QCOMPARE(raw[kPartCode1 + 15], std::string_view("p16"));
            QCOMPARE(file.readRecord(raw), CatalogueFile::Read::Record);
            QCOMPARE(raw[kVehicleId], std::string_view("2"));
            QCOMPARE(raw[kYearTo], std::string_view("7"));
            QCOMPARE(file.readRecord(raw), CatalogueFile::Read::Record);
            QCOMPARE(raw[kVehicleId], std::string_view("3"));
            QCOMPARE(raw[kPartCode1 + 15], std::string_view("23"));
            QVERIFY(file.atEnd());
        }
    }

    void recordsReadWholeAgreeWithItemByItem() {
        // Plain records are split 64 bytes at a time and the rest item by item: a mix of both, through
        // every buffer size and with each kernel, from memory and from a file, gives every field and where
        // it begins as the plain reading does.
        // Mostly plain records of 23 fields, one a line, with now and then a field or a line end that
        // needs the careful reading, and runs of blanks longer than a buffer's chunk, which the reader
        // drops from its buffer as it reads on.
        const std::string longBlanks(700, ' ');
        const std::string longBlankLine = std::string(900, ' ') + "\r\n";
        const char* const plain[] = {"AC1001",  "\"Brisko\"", "",       "2003", "Kestrel 16* Wheel",
                                     "\"a,b\"", "\"\"",       "Caf\xE9"};
        const char* const careful[] = {"  ", " pad ",           "\"q\"x",           "x\"y",
                                       "\t", "\"line\r\nend\"", longBlanks.c_str(), longBlankLine.c_str()};
        const char* const lineEnds[] = {"\r\n", "\n", "\r", "\r\n\r\n", ",\r\n"};
        std::mt19937 random(7);
        std::string bytes;
        for (int i = 0; i < 40000; ++i) {
            bytes += random() % 50 == 0 ? careful[random() % std::size(careful)]
                                        : plain[random() % std::size(plain)];
            if (i % kRecordFields == kRecordFields - 1 || random() % 200 == 0)
                bytes += lineEnds[random() % 20 == 0 ? random() % std::size(lineEnds) : 0];
            else
                bytes += ',';
        }
        const std::vector<reference::Item> expected =
            reference::items(bytes, ListReader::kDefaultMaxItemBytes);
        // Each field's line, counted plainly: CR LF, LF and a lone CR each end a line.
        std::vector<std::uint64_t> lineAt(bytes.size() + 1);
        std::uint64_t line = 1;
        for (std::size_t i = 0; i <= bytes.size(); ++i) {
            lineAt[i] = line;
            if (i < bytes.size() &&
                (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))))
                ++line;
        }
        QTemporaryDir folder;
        QFile onDisk(folder.filePath("specialty.txt"));
        QVERIFY(onDisk.open(QIODevice::WriteOnly));
        QCOMPARE(onDisk.write(bytes.data(), static_cast<qint64>(bytes.size())),
                 static_cast<qint64>(bytes.size()));
        onDisk.close();
        for (int chunk : {7, 64, 100, 4096, 256 * 1024})
            for (SimdKernel kernel : {SimdKernel::Sse2, SimdKernel::Best})
                for (bool fromFile : {false, true}) {
                    CatalogueFile file(static_cast<std::size_t>(chunk), kernel);
                    if (fromFile)
                        QVERIFY(file.open(onDisk.fileName().toStdString()));
                    else
                        file.openMemory(bytes);
                    file.countLines();
                    file.keepRecordBefore();
                    std::size_t item = 0;
                    RawRecord raw;
                    RawRecord before; // the whole record read before, followed as the buffer moves
                    std::size_t beforeItem = SIZE_MAX;
                    std::ptrdiff_t beforeMoved = 0;
                    while (!file.atEnd()) {
                        const CatalogueFile::Read read = file.readRecord(raw);
                        follow(before, file.moved() - beforeMoved);
                        for (std::size_t f = 0; beforeItem != SIZE_MAX && f < kRecordFields; ++f)
                            QCOMPARE(std::string(before.field[f]), expected[beforeItem + f].text);
                        const int fields =
                            read == CatalogueFile::Read::Record ? kRecordFields : file.fieldsRead();
                        for (int f = 1; f <= fields; ++f, ++item) {
                            QVERIFY(item < expected.size());
                            if (read == CatalogueFile::Read::Record) // a record cut short gives no text
                                QCOMPARE(std::string(raw[f]), expected[item].text);
                            QCOMPARE(file.fieldOffset(f), std::uint64_t(expected[item].offset));
                            QCOMPARE(file.fieldLine(f), lineAt[expected[item].offset]);
                        }
                        if (read != CatalogueFile::Read::Record) break;
                        before = raw;
                        beforeItem = item - kRecordFields;
                        beforeMoved = file.moved();
                        // Whether a byte from the first field to the end of the last is not ASCII.
                        const reference::Item& last = expected[item - 1];
                        const std::size_t first = expected[item - kRecordFields].offset;
                        QCOMPARE(file.highBytes(),
                                 std::any_of(bytes.begin() + static_cast<std::ptrdiff_t>(first),
                                             bytes.begin() +
                                                 static_cast<std::ptrdiff_t>(last.offset + last.text.size()),
                                             [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
                    }
                    QCOMPARE(item, expected.size());
                }
    }

    void recordCutShort() {
        CatalogueFile file(7);
        const std::string bytes = record("1", 23) + "\r\n" + record("2", 20) + "\r\n";
        file.openMemory(bytes);
        RawRecord raw;
        QCOMPARE(file.readRecord(raw), CatalogueFile::Read::Record);
        QVERIFY(!file.atEnd());
        QCOMPARE(file.readRecord(raw), CatalogueFile::Read::CutShort);
        QCOMPARE(file.fieldsRead(), 20);
    }

    void starRule() {
        CatalogueRecord decoded;
        RawRecord raw;
        raw.field.fill("");
        raw.field[kModel - 1] = "16*x*";
        raw.field[kSubmodel - 1] = "a*b*c*";
        raw.field[kMake - 1] = "M*";
        decoded = decodeRecord(raw);
        QCOMPARE(decoded.Model, std::string("16\"x*"));
        QCOMPARE(decoded.Submodel, std::string("a\"b\"c*"));
        QCOMPARE(decoded.Make, std::string("M*"));
    }

    void descriptionItemsEachEndWithLineFeedThenReturn() {
        Description d =
            readDescriptionBytes("one, two\r\n\"three, four\"\r\n  five,,six\r\n", 1000, 3).value();
        QCOMPARE(d.caption, std::string("one\n\rtwo\n\rthree, four\n\rfive\n\r\n\rsix\n\r"));
        QVERIFY(!d.cut);
        QCOMPARE(readDescriptionBytes("")->caption, std::string());
    }

    void longDescriptionIsCutWithANote() {
        std::string bytes(200000, 'y');
        Description d = readDescriptionBytes(bytes, 1000, 4096).value();
        QVERIFY(d.cut);
        QVERIFY(d.caption.size() < 1200);
        QVERIFY(d.caption.find(std::string(kDescriptionCutNote)) != std::string::npos);

        std::string manyLines;
        for (int i = 0; i < 1000; ++i)
            manyLines += "line " + std::to_string(i) + "\r\n";
        d = readDescriptionBytes(manyLines, 1000, 64).value();
        QVERIFY(d.cut);
        QVERIFY(d.caption.rfind("line 0\n\r", 0) == 0);
        QVERIFY(d.caption.size() <= 1000 + kDescriptionCutNote.size() + 4);
    }
};

// These tests need no application object. Qt's own main macro for that trips clang's -Wpedantic.
int main(int argc, char** argv) {
    ListSyntaxTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_list_syntax.moc"
