// Each layer's faults carry their family: they compare by family and number, and a failure of any family is
// worded by its own family wherever it stands in a chain of causes.
#include "catalogue/messages.h"
#include "pictures/picture_fault.h"
#include "tools/check/check_fault.h"
#include "tools/listing_fault.h"
#include "tools/output_fault.h"
#include "tools/sheet/sheet_fault.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include <QTest>

#include <string>

using namespace specialty;

class TestFaultFamilies : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void comparesFamilyAndNumber();
    void wordsCausesOfEveryFamily();
};

void TestFaultFamilies::comparesFamilyAndNumber() {
    const struct {
        const char* name;
        FaultCode a;
        FaultCode b;
        bool equal;
    } cases[] = {
        {"the same fault", CheckFault::NoPicture, CheckFault::NoPicture, true},
        {"another fault of the family", CheckFault::NoPicture, CheckFault::NoDescription, false},
        {"its number made the family's fault", static_cast<SpreadsheetFault>(450), SpreadsheetFault::CellDate,
         true},
        {"the same number in another family", CheckFault::FieldTooLong, static_cast<SheetFault>(316), false},
        {"the system's number in another family", CatalogueFault::System, static_cast<OutputFault>(1), false},
    };
    for (const auto& c : cases) {
        QVERIFY2((c.a == c.b) == c.equal, c.name);
        QVERIFY2((c.a != c.b) != c.equal, c.name);
    }
    const Failure date(SpreadsheetFault::CellDate);
    QVERIFY(date.fault == SpreadsheetFault::CellDate && SpreadsheetFault::CellDate == date.fault);
    QVERIFY(date.fault != SpreadsheetFault::CellFormula);
    QVERIFY(date.fault.of<SpreadsheetFault>() && !date.fault.of<CheckFault>());
}

void TestFaultFamilies::wordsCausesOfEveryFamily() {
    Failure tooLarge(SpreadsheetFault::SheetTooLarge);
    tooLarge.limit = 512;
    Failure endsInRecord = fileFault(CatalogueFault::EndsInRecord, "cat.txt");
    endsInRecord.record = 2;
    endsInRecord.count = 5;
    Failure notWhole(CheckFault::PictureNotWhole);
    notWhole.value = "AC1";
    notWhole.record = 0;
    notWhole.file = "AC1.jpg";

    const struct {
        const char* name;
        Failure failure;
        const char* text;
    } cases[] = {
        {"output over spreadsheet", causedBy(Failure(OutputFault::NothingWritten), tooLarge),
         "Nothing was written: the file is larger than 512 bytes, far beyond any catalogue."},
        {"listing over catalogue", damageBeginsAt(endsInRecord, 7, 22),
         "The catalogue cat.txt ends in the middle of record 3: it has 5 of its 23 fields. The damage begins "
         "at line 7, which holds 22 fields, not 23."},
        {"check over picture", causedBy(notWhole, Failure(PictureFault::TimeIsUp)),
         "part code \"AC1\" (first used by record 1) has a picture file AC1.jpg that does not show whole: "
         "its "
         "time is up"},
        {"sheet over output",
         causedBy(Failure(SheetFault::NotWritten),
                  fileFault(OutputFault::CannotWrite, "x/index.html", "No space left on device")),
         "No sheet was written: cannot write x/index.html: No space left on device."},
        {"catalogue over catalogue",
         causedBy(fileFault(CatalogueFault::CannotBeOpened, "c"),
                  fileFault(CatalogueFault::IsDirectory, "c")),
         "The catalogue c cannot be opened: it is a directory, not a file."},
    };
    for (const auto& c : cases)
        QVERIFY2(describe(c.failure) == c.text, (std::string(c.name) + ": " + describe(c.failure)).c_str());
}

QTEST_GUILESS_MAIN(TestFaultFamilies)
#include "test_fault_families.moc"
