// Demo stepping: record after record in file order, slots emptied between steps, and the end.
#include "test_support.h"

#include "catalogue/messages.h"
#include "catalogue/vehicle_selection.h"
#include "viewer/src/demo_counter.h"
#include "viewer/src/picture_box.h"

#include <QLabel>
#include <QTest>

#include <climits>

using namespace specialty;
using namespace specialty::test;

namespace {

struct DemoFixture {
    DataFolder folder;
    std::unique_ptr<RecordingWindow> w;

    explicit DemoFixture(const std::string& commandLine = "") {
        folder.writePicture("RED", Qt::red);
        folder.writePicture("BLUE", Qt::blue);
        folder.writeCatalogue({recordLine("100", "Zero", "X", "", "2000", "2000", {{1, "RED"}}),
                               recordLine("101", "One", "X", "", "2000", "2000", {{1, "RED"}, {2, "RED"}}),
                               recordLine("102", "Two", "X", "", "2000", "2000", {{3, "BLUE"}}),
                               recordLine("103", "Three", "X", "", "2000", "2000"),
                               recordLine("104", "Four", "X", "", "2000", "2000", {{16, "BLUE"}}),
                               endRecordLine(), "after the end, \"never read"});
        w = std::make_unique<RecordingWindow>(folder);
        (*w)->load(commandLine);
    }
    QString id() const { return (*w)->caption().section(')', 0, 0).mid(1); }
    PictureBox* image(int n) const { return w->control<PictureBox>(QString("Image%1").arg(n)); }
    QLabel* label(int n) const { return w->control<QLabel>(QString("Label%1").arg(n)); }
    bool slotEmpty(int n) const {
        return image(n)->picture().isNull() && image(n)->toolTip().isEmpty() && !image(n)->hasBorder() &&
               label(n)->text().isEmpty();
    }
};

} // namespace

class DemoTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void stepsGoThroughTheFileInOrder() {
        DemoFixture f;
        QCOMPARE(f.id(), QString("101"));
        QVERIFY(!f.w->control("cmdNext")->isVisible());
        QStringList seen;
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(f.w->control("Command2"), Qt::LeftButton);
            seen << f.id();
        }
        QCOMPARE(seen, (QStringList{"102", "103", "104"}));
        QCOMPARE((*f.w)->session().demoIndex(), -4);
        QVERIFY(f.w->messages.isEmpty());
    }

    void slotsAreEmptiedBetweenSteps() {
        DemoFixture f;
        QVERIFY(!f.slotEmpty(1) && !f.slotEmpty(2));
        (*f.w)->session().demoStep();
        QVERIFY(f.slotEmpty(1) && f.slotEmpty(2));
        QCOMPARE(f.label(3)->text(), QString("BLUE"));
        (*f.w)->session().demoStep(); // a record without parts
        for (int n = 1; n <= 17; ++n)
            QVERIFY(f.slotEmpty(n));
        QCOMPARE(f.w->control<QLabel>("lblNoMatch")->text(), QString(kNoPartsNotice));
        (*f.w)->session().demoStep();
        QCOMPARE(f.label(14)->text(), QString("BLUE"));
        QVERIFY(f.w->control<QLabel>("lblNoMatch")->text().isEmpty());
    }

    void stepsPastTheEnd() {
        DemoFixture f;
        for (int i = 0; i < 3; ++i)
            (*f.w)->session().demoStep();
        QCOMPARE(f.id(), QString("104"));
        for (int i = 0; i < 3; ++i)
            (*f.w)->session().demoStep();
        QCOMPARE(f.w->messages, (QStringList{kNoMatchMessage, kNoMatchMessage, kNoMatchMessage}));
        QCOMPARE(f.id(), QString("104")); // caption and notice keep the last record shown
        for (int n = 1; n <= 17; ++n)
            QVERIFY(f.slotEmpty(n));
        QCOMPARE((*f.w)->session().demoIndex(), -7);
    }

    void demoAfterAnOrdinaryLookup() {
        DemoFixture f(joinSelection("Two", "X", "", "2000", "2000"));
        QCOMPARE(f.id(), QString("102"));
        QVERIFY(!(*f.w)->session().demoMode());
        QTest::mouseClick(f.w->control("Command2"), Qt::LeftButton);
        QVERIFY((*f.w)->session().demoMode());
        QCOMPARE(f.id(), QString("101"));
        QVERIFY(f.slotEmpty(3));
    }

    void nextAppearsAfterHideInDemoMode() {
        DemoFixture f("DEMO");
        QTest::mouseClick(f.image(1), Qt::LeftButton);
        QTest::mouseClick(f.w->control("cmdHide"), Qt::LeftButton);
        QVERIFY(f.w->control("cmdNext")->isVisible());
        QTest::mouseClick(f.w->control("cmdNext"), Qt::LeftButton);
        QCOMPARE(f.id(), QString("102"));
        QVERIFY(f.w->control("cmdNext")->isVisible()); // a step leaves visibility alone
    }

    void endRecordAtPositionOne() {
        DataFolder folder;
        folder.writeCatalogue(
            {recordLine("100", "Zero", "X", "", "2000", "2000", {{1, "RED"}}), endRecordLine()});
        RecordingWindow w(folder);
        w->load(std::string());
        QCOMPARE(w.messages, QStringList{kNoMatchMessage});
        QVERIFY(w->caption().isEmpty());
        w->session().startDemo();
        QCOMPARE(w.messages.size(), 2);
    }

    void catalogueChangedBetweenSteps() {
        DemoFixture f;
        f.folder.writeCatalogue({recordLine("900", "New", "X", "", "2000", "2000"),
                                 recordLine("901", "New", "X", "", "2000", "2000"),
                                 recordLine("902", "New", "X", "", "2000", "2000", {{1, "RED"}})});
        (*f.w)->session().demoStep();
        QCOMPARE(f.id(), QString("902"));
        f.folder.writeFile("specialty.txt", recordLine("1", "A", "B", "", "2000", "2000").substr(0, 20));
        (*f.w)->session().demoStep();
        QCOMPARE(f.w->messages.size(), 1);
        QVERIFY(f.w->messages[0].contains("ends in the middle of record 1"));
        QVERIFY(f.slotEmpty(1)); // emptied before the search failed
        f.folder.remove("specialty.txt");
        (*f.w)->session().demoStep();
        QVERIFY(f.w->messages.last().contains("cannot be opened"));
    }

    void counterStopsAtItsSmallestValue() {
        QCOMPARE(loweredDemoIndex(0), -1);
        QCOMPARE(loweredDemoIndex(INT_MIN + 1), INT_MIN);
        QCOMPARE(loweredDemoIndex(INT_MIN), INT_MIN);
    }
};

QTEST_MAIN(DemoTest)
#include "test_demo.moc"
