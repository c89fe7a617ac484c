// The streaming reader and search agree with the plain reference on random catalogues: random bytes
// rich in structure characters, and well-formed catalogues with random names, years and part codes.
#include "catalogue/description_reader.h"
#include "catalogue/src/list_reader.h"
#include "catalogue/vehicle_search.h"
#include "catalogue/vehicle_selection.h"
#include "reference_catalogue.h"

#include <QTest>

#include <random>

using namespace specialty;

namespace {

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // Bytes drawn mostly from the characters the syntax cares about.
    std::string noise(int length) {
        static const char kAlphabet[] = ",,,,\"\"\r\n\n\r  \t*0012aAbB\xE9\xC9-";
        std::string out;
        for (int i = 0; i < length; ++i)
            out += kAlphabet[below(sizeof kAlphabet - 1)];
        return out;
    }

    std::string name() {
        static const char* const kNames[] = {"Aldena", "ALDENA", "aldena", "Brisko",  "x*y",
                                             "x\"y",   "",       " pad ",  "\xC9LAN", "\xE9lan"};
        return kNames[below(10)];
    }

    std::string field(const std::string& value) {
        switch (below(4)) {
        case 0:
            return "\"" + value + "\"";
        case 1:
            return "  " + value;
        default:
            return value;
        }
    }

    // About one record in `endEvery` is an end record.
    std::string catalogue(int records, int endEvery = 15) {
        std::string out;
        for (int r = 0; r < records; ++r) {
            std::string line = field(below(endEvery) == 0 ? "0" : std::to_string(r + 1)) + ",";
            line += field(name()) + "," + field(name()) + "," + field(name()) + "," + field(name());
            line +=
                "," + field(std::to_string(1990 + below(20))) + "," + field(std::to_string(1995 + below(20)));
            for (int p = 0; p < 16; ++p)
                line += "," + (below(3) == 0 ? field("P" + std::to_string(below(50))) : std::string());
            const char* ends[] = {"\r\n", "\n", "\r", "\r\n\r\n", ","};
            out += line + ends[below(5)];
        }
        if (below(4) == 0) out += noise(below(40));
        return out;
    }

  private:
    std::mt19937 random_;
};

// 0 failed, 1 found none, 2 found a record.
int outcomeOf(const Lookup& r) {
    return !r ? 0 : r->has_value() ? 2 : 1;
}

bool sameResult(const Lookup& a, const Lookup& b) {
    if (outcomeOf(a) != outcomeOf(b)) return false;
    if (outcomeOf(a) != 2) return true;
    const CatalogueRecord& x = a.value()->record;
    const CatalogueRecord& y = b.value()->record;
    return a.value()->position == b.value()->position &&
           a.value()->spareFieldCut == b.value()->spareFieldCut && x.VehicleId == y.VehicleId &&
           x.SpareField == y.SpareField && x.Make == y.Make && x.Model == y.Model &&
           x.Submodel == y.Submodel && x.YearFrom == y.YearFrom && x.YearTo == y.YearTo &&
           x.PartCodes == y.PartCodes;
}

// The streaming lookup, by selection or by position.
Lookup lookUp(const std::string& bytes, const std::string& selection, bool byPosition, std::int64_t position,
              std::size_t chunk, SimdKernel kernel) {
    return byPosition ? recordAtInBytes(position, bytes, "c", chunk, kernel)
                      : findVehicleInBytes(selection, bytes, "c", chunk, kernel);
}

Lookup referenceLookUp(const std::string& bytes, const std::string& selection, bool byPosition,
                       std::int64_t position) {
    const std::size_t maxItem = ListReader::kDefaultMaxItemBytes;
    return byPosition ? reference::recordAt(bytes, position, maxItem)
                      : reference::findVehicle(bytes, selection, maxItem);
}

} // namespace

class ReferenceAgreementTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void itemsAgreeOnNoise() {
        Generator g(1);
        for (int round = 0; round < 3000; ++round) {
            const std::string bytes = g.noise(g.below(200));
            const std::size_t maxItem = 1 + static_cast<std::size_t>(g.below(20));
            const auto expected = reference::items(bytes, maxItem);
            ListReader reader(maxItem, 1 + static_cast<std::size_t>(g.below(40)));
            reader.openMemory(bytes);
            std::size_t count = 0;
            while (!reader.atEnd()) {
                reader.beginUnit();
                ItemSpan span;
                QVERIFY(reader.readItem(span));
                QVERIFY(count < expected.size());
                QCOMPARE(std::string(reader.text(span)), expected[count].text);
                QCOMPARE(span.truncated, expected[count].truncated);
                QCOMPARE(span.fileOffset, std::uint64_t(expected[count].offset));
                ++count;
            }
            QCOMPARE(count, expected.size());
        }
    }

    void searchesAgree() {
        Generator g(2);
        int outcomes[3] = {};
        for (int round = 0; round < 2000; ++round) {
            const std::string bytes = g.below(5) == 0 ? g.noise(300) : g.catalogue(1 + g.below(12));
            std::string selection =
                joinSelection(g.name(), g.name(), g.name(), std::to_string(1990 + g.below(30)),
                              g.below(10) == 0 ? "" : std::to_string(1990 + g.below(30)));
            const std::int64_t position = g.below(14);
            const bool byPosition = g.below(3) == 0;
            if (!byPosition && g.below(20) == 0) selection = "-1"; // the host's marker
            const SimdKernel kernel = round % 2 ? SimdKernel::Sse2 : SimdKernel::Best;
            const Lookup got = lookUp(bytes, selection, byPosition, position,
                                      1 + static_cast<std::size_t>(g.below(64)), kernel);
            const Lookup want = referenceLookUp(bytes, selection, byPosition, position);
            QVERIFY2(sameResult(got, want), bytes.c_str());
            ++outcomes[outcomeOf(got)];
        }
        // The random catalogues reach every outcome often, or the agreement would prove little.
        for (int count : outcomes)
            QVERIFY(count > 100);
    }

    void searchesAgreeOnLongCatalogues() {
        // Long enough for the block-at-a-time pass to settle record boundaries and look back for them.
        Generator g(4);
        int found = 0;
        for (int round = 0; round < 300; ++round) {
            const int records = 20 + g.below(400);
            const std::string bytes = g.catalogue(records, 1000);
            std::string selection =
                joinSelection(g.name(), g.name(), g.name(), std::to_string(1990 + g.below(30)),
                              std::to_string(1990 + g.below(30)));
            const std::int64_t position = g.below(records + 2);
            const bool byPosition = g.below(2) == 0;
            const std::size_t chunk = g.below(2) == 0 ? ListReader::kDefaultChunkBytes : 64 + g.below(200);
            const SimdKernel kernel = round % 2 ? SimdKernel::Sse2 : SimdKernel::Best;
            const Lookup got = lookUp(bytes, selection, byPosition, position, chunk, kernel);
            const Lookup want = referenceLookUp(bytes, selection, byPosition, position);
            QVERIFY2(sameResult(got, want), qPrintable(QString("round %1").arg(round)));
            found += outcomeOf(got) == 2 && got.value()->position > 30 ? 1 : 0;
        }
        QVERIFY(found > 30); // results deep in the file, past several settled boundaries
    }

    void searchesAgreeWithLongFields() {
        // Fields longer than the reader keeps, anywhere in the records: some whole text, some whose kept
        // beginning looks like a name, a year or the end mark while the whole does not (or does).
        const std::size_t keep = ListReader::kDefaultMaxItemBytes;
        const std::string longFields[] = {
            std::string(keep + 10, 'n'),
            "\"" + std::string(keep + 1, ',') + "\"",
            "Aldena" + std::string(keep, ' ') + "x",
            "Aldena" + std::string(keep, ' '),
            "0" + std::string(keep, ' ') + "0",
            "\"" + std::string(keep, ' ') + "2000\"",
            "2000" + std::string(keep, '0'),
        };
        Generator g(5);
        int outcomes[3] = {};
        for (int round = 0; round < 400; ++round) {
            std::string bytes;
            const int records = 1 + g.below(6);
            for (int r = 0; r < records; ++r) {
                std::string fields[kRecordFields] = {
                    std::to_string(r + 1), "spare", g.name(), g.name(), g.name(), "1990", "2010"};
                if (g.below(8) == 0) fields[0] = "0";
                for (int p = 0; p < 2; ++p)
                    fields[kPartCode1 - 1 + g.below(kPartCodes)] = "P" + std::to_string(g.below(9));
                if (g.below(2) == 0) // SpareField most often, as real catalogues would have it
                    fields[g.below(3) == 0 ? g.below(kRecordFields) : 1] = longFields[g.below(7)];
                for (const std::string& field : fields)
                    bytes += field + (&field == &fields[kRecordFields - 1] ? "\r\n" : ",");
            }
            const std::string selection = joinSelection(g.name(), g.name(), g.name(), "2000", "2000");
            const bool byPosition = g.below(2) == 0;
            const std::int64_t position = g.below(records + 1);
            const SimdKernel kernel = round % 2 ? SimdKernel::Sse2 : SimdKernel::Best;
            const std::size_t chunk = g.below(2) == 0 ? ListReader::kDefaultChunkBytes : 1 + g.below(5000);
            const Lookup got = lookUp(bytes, selection, byPosition, position, chunk, kernel);
            const Lookup want = referenceLookUp(bytes, selection, byPosition, position);
            QVERIFY2(sameResult(got, want), qPrintable(QString("round %1").arg(round)));
            ++outcomes[outcomeOf(got)];
        }
        for (int count : outcomes)
            QVERIFY(count > 20);
    }

    void descriptionsAgree() {
        Generator g(3);
        for (int round = 0; round < 2000; ++round) {
            const std::string bytes = g.noise(g.below(150));
            const std::size_t maxBytes = 1 + static_cast<std::size_t>(g.below(60));
            QCOMPARE(
                readDescriptionBytes(bytes, maxBytes, 1 + static_cast<std::size_t>(g.below(16)))->caption,
                reference::descriptionCaption(bytes, maxBytes));
        }
    }
};

// These tests need no application object. Qt's own main macro for that trips clang's -Wpedantic.
int main(int argc, char** argv) {
    ReferenceAgreementTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_reference_agreement.moc"
