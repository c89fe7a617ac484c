// The viewer's model without a window: what a lookup, a demo step and a zoom leave in the session and
// which signals tell the window about it.
#include "test_support.h"

#include "catalogue/messages.h"
#include "catalogue/vehicle_selection.h"
#include "viewer/viewer_session.h"

#include <QSignalSpy>
#include <QTest>

using namespace specialty;
using namespace specialty::test;

namespace {

std::vector<std::string> catalogue() {
    return {recordLine("100", "Aldena", "Tarsa", "GL", "1998", "2004", {{1, "A1"}, {9, "C9"}, {12, "F12"}}),
            recordLine("101", "Brisko", "Meridian", "", "2001", "2008", {{2, "A1"}, {3, "NOPIC"}}),
            recordLine("102", "Corvane", "Atlas", "", "1995", "1999"), endRecordLine()};
}

} // namespace

class ViewerSessionTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void lookUpFillsTheSlotsOfTheRecordFound() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        folder.writePicture("A1", Qt::red);
        ViewerSession session(folder.path());
        QSignalSpy caption(&session, &ViewerSession::captionChanged);
        QSignalSpy filled(&session, &ViewerSession::slotFilled);
        session.lookUp(joinSelection("aldena", "TARSA", "gl", "2000", "2000"));
        QVERIFY(session.record().has_value());
        QCOMPARE(session.record()->VehicleId, std::string("100"));
        QCOMPARE(caption.size(), 1);
        QCOMPARE(caption[0][0].toString(), QString("(100) 1998-2004 Aldena Tarsa GL"));
        // PartCode1 to slot 1, PartCode9 to slot 15, PartCode12 to slot 10, in slot order.
        QCOMPARE(filled.size(), 3);
        QCOMPARE(filled[0][0].toInt(), 1);
        QCOMPARE(filled[1][0].toInt(), 10);
        QCOMPARE(filled[2][0].toInt(), 15);
        QCOMPARE(session.slotCode(15), std::string("C9"));
        QVERIFY(!session.slotPicture(1).isNull());
        QVERIFY(session.slotPicture(10).isNull()); // no picture file: the slot still holds its code
        QCOMPARE(session.slotCode(10), std::string("F12"));
    }

    void lookUpWithoutAMatchSaysSoAndChangesNothing() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        ViewerSession session(folder.path());
        QSignalSpy messages(&session, &ViewerSession::messageRaised);
        QSignalSpy caption(&session, &ViewerSession::captionChanged);
        session.lookUp(joinSelection("Nobody", "", "", "2000", "2000"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0][0].toString(), QString::fromLatin1(kNoMatchMessage));
        QCOMPARE(caption.size(), 0);
        QVERIFY(!session.record().has_value());
    }

    void demoStepsWalkThePositionsAndEmptyTheSlotsFirst() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        ViewerSession session(folder.path());
        QSignalSpy emptied(&session, &ViewerSession::slotsEmptied);
        QSignalSpy messages(&session, &ViewerSession::messageRaised);
        session.start("");
        QVERIFY(session.demoMode());
        QCOMPARE(session.demoIndex(), -1);
        QCOMPARE(session.record()->VehicleId, std::string("101")); // position 1
        QCOMPARE(session.slotCode(2), std::string("A1"));
        session.demoStep();
        QCOMPARE(session.record()->VehicleId, std::string("102"));
        QCOMPARE(session.slotCode(2), std::string()); // emptied by the step, not refilled
        session.demoStep();                           // the end record
        QCOMPARE(messages.size(), 1);
        QCOMPARE(session.record()->VehicleId, std::string("102")); // what was shown last stays
        QCOMPARE(emptied.size(), 3);
        QCOMPARE(session.demoIndex(), -3);
    }

    void startRoads() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        ViewerSession first(folder.path());
        first.start("-1"); // the host's marker: the first record of the file, not demo mode
        QVERIFY(!first.demoMode());
        QCOMPARE(first.record()->VehicleId, std::string("100"));
        ViewerSession none(folder.path());
        QSignalSpy messages(&none, &ViewerSession::messageRaised);
        none.start(";anything");
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0][0].toString(), QString::fromLatin1(kNoSelectionMessage));
        ViewerSession demo(folder.path());
        demo.lookUp(joinSelection("Corvane", "Atlas", "", "1996", "1996"));
        demo.startDemo();
        QVERIFY(demo.demoMode());
        QCOMPARE(demo.record()->VehicleId, std::string("101"));
    }

    void preparedStartShowsWhatAnUnpreparedOneShows() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        folder.writePicture("A1", Qt::red);
        folder.writePicture("C9", Qt::green);
        const std::string selection = joinSelection("Aldena", "Tarsa", "GL", "2000", "2000");
        ViewerSession plain(folder.path());
        plain.start(selection);
        ViewerSession prepared(folder.path());
        std::array<QSize, kSlotCount> sizes;
        sizes.fill(QSize(20, 30));
        prepared.setPreviewSizes(sizes);
        prepared.prepare(selection);
        QSignalSpy filled(&prepared, &ViewerSession::slotFilled);
        prepared.start(selection);
        QCOMPARE(filled.size(), 3);
        for (int slot = 1; slot <= 17; ++slot) {
            QCOMPARE(prepared.slotCode(slot), plain.slotCode(slot));
            QCOMPARE(prepared.slotPicture(slot), plain.slotPicture(slot));
        }
        QVERIFY(!prepared.slotPicture(15).isNull());
        QCOMPARE(
            prepared.slotPreview(15),
            prepared.slotPicture(15).scaled(QSize(20, 30), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QVERIFY(plain.slotPreview(15).isNull()); // made only where the start was prepared
    }

    void startWithAnotherCommandLineDropsWhatWasPrepared() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        folder.writePicture("A1", Qt::red);
        ViewerSession session(folder.path());
        session.prepare(joinSelection("Aldena", "Tarsa", "GL", "2000", "2000"));
        session.start(joinSelection("Brisko", "Meridian", "", "2005", "2005"));
        QCOMPARE(session.record()->VehicleId, std::string("101"));
        QCOMPARE(session.slotCode(1), std::string());
        QCOMPARE(session.slotCode(2), std::string("A1"));
        // Prepared once, taken once: a later start searches again.
        folder.writeCatalogue({recordLine("7", "Aldena", "Tarsa", "GL", "1998", "2004"), endRecordLine()});
        session.start(joinSelection("Aldena", "Tarsa", "GL", "2000", "2000"));
        QCOMPARE(session.record()->VehicleId, std::string("7"));
    }

    void zoomGivesTheSlotsOwnPictureAndTheDescription() {
        DataFolder folder;
        folder.writeCatalogue(catalogue());
        folder.writePicture("A1", Qt::red);
        folder.writeDescription("A1", "first,\"second, with a comma\"\r\n");
        ViewerSession session(folder.path());
        session.lookUp(joinSelection("Aldena", "Tarsa", "GL", "2000", "2000"));
        QSignalSpy opened(&session, &ViewerSession::zoomOpened);
        QSignalSpy description(&session, &ViewerSession::descriptionRead);
        session.zoom(1);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0].toInt(), 1);
        QCOMPARE(description.size(), 2); // emptied first, then read
        QCOMPARE(description[1][0].toString(), QString("first\n\rsecond, with a comma\n\r"));
        session.zoom(6); // slot 6 holds no part: nothing to read
        QCOMPARE(description.size(), 3);
        QCOMPARE(description[2][0].toString(), QString());
    }
};

QTEST_MAIN(ViewerSessionTest)
#include "test_viewer_session.moc"
