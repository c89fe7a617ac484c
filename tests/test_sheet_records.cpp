// The review sheet's records, packed: each comes back as it was added, and the makes list them in the
// order a reader looks for them (make, model, submodel, years, byte for byte), file order breaking ties.
#include "tools/sheet/sheet_records.h"

#include <QStringList>
#include <QTest>

using namespace specialty;

class TestSheetRecords : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void makesOrderTheirVehicles_data();
    void makesOrderTheirVehicles();
};

void TestSheetRecords::makesOrderTheirVehicles_data() {
    QTest::addColumn<QStringList>("records"); // "make|model|submodel|from|to", in file order
    QTest::addColumn<QString>("makes");       // record indexes of each make, makes apart by "/"
    QTest::newRow("nothing") << QStringList{} << "";
    QTest::newRow("makes in byte order, capitals first")
        << QStringList{"b|m|s|1990|2000", "B|m|s|1990|2000", "a|m|s|1990|2000", "|m|s|1990|2000"}
        << "3/1/2/0";
    QTest::newRow("model, submodel, then years")
        << QStringList{"A|Z|a|1990|2000", "A|Y|b|1990|2000", "A|Y|a|1995|2000", "A|Y|a|1990|2001",
                       "A|Y|a|1990|2000"}
        << "4,3,2,1,0";
    QTest::newRow("equal vehicles keep file order")
        << QStringList{"A|M|S|1990|2000", "B|M|S|1990|2000", "A|M|S|1990|2000", "A|M|S|1990|2000"}
        << "0,2,3/1";
    QTest::newRow("accented bytes after ASCII") << QStringList{"\u00c9|M|||", "E|M|||", "Z|M|||"} << "1/2/0";
}

void TestSheetRecords::makesOrderTheirVehicles() {
    QFETCH(QStringList, records);
    QFETCH(QString, makes);
    SheetRecords kept;
    for (int n = 0; n < records.size(); ++n) {
        const QStringList f = records[n].split('|');
        // Latin-1 keeps each character one byte, as the catalogue's code page does.
        auto text = [&](int i) { return f[i].toLatin1().toStdString(); };
        kept.add({n + 1, std::uint64_t(10 * n + 1), "id" + std::to_string(n), text(0), text(1), text(2),
                  text(3), text(4)});
    }
    QCOMPARE(kept.size(), std::size_t(records.size()));
    for (int n = 0; n < records.size(); ++n) {
        const SheetRecord r = kept[std::size_t(n)];
        const QString back =
            QStringList{QString::fromLatin1(r.Make.c_str()), QString::fromLatin1(r.Model.c_str()),
                        QString::fromLatin1(r.Submodel.c_str()), QString::fromLatin1(r.YearFrom.c_str()),
                        QString::fromLatin1(r.YearTo.c_str())}
                .join('|');
        QCOMPARE(back, records[n]);
        QCOMPARE(r.number, std::int64_t(n + 1));
        QCOMPARE(r.line, std::uint64_t(10 * n + 1));
        QCOMPARE(r.VehicleId, "id" + std::to_string(n));
    }
    const SheetMakes ordered(kept);
    QStringList got;
    for (std::size_t m = 0; m < ordered.size(); ++m) {
        QStringList make;
        for (std::uint32_t record : ordered[m])
            make << QString::number(record);
        got << make.join(',');
    }
    QCOMPARE(got.join('/'), makes);
}

QTEST_GUILESS_MAIN(TestSheetRecords)
#include "test_sheet_records.moc"
