// Sorting in bounded memory: whatever the number of entries and however little memory the sort may hold,
// the entries come back as a stable sort of them in memory would give them, and a temporary file that
// cannot be made is a failure naming its folder, never entries lost in silence.
#include "catalogue/messages.h"
#include "tools/sheet/spill_sort.h"

#include <QDir>
#include <QTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace specialty;

namespace {

// Orders by the first `keyBytes` bytes only, so that entries with equal keys show whether their order held.
SpillSort::Less byPrefix(std::size_t keyBytes) {
    return [keyBytes](std::string_view a, std::string_view b) {
        return a.substr(0, keyBytes) < b.substr(0, keyBytes);
    };
}

// `count` entries: a key of `keyBytes` bytes drawn from `keys` values, then the entry's number, then up to
// `padding` bytes, so that entries differ in length.
std::vector<std::string> entries(std::size_t count, std::size_t keyBytes, int keys, std::size_t padding) {
    std::mt19937 random(7);
    std::vector<std::string> made;
    for (std::size_t n = 0; n < count; ++n) {
        std::string key = std::to_string(std::uniform_int_distribution<int>(0, keys - 1)(random));
        key.insert(0, keyBytes - std::min(keyBytes, key.size()), '0');
        const std::size_t pad = padding == 0 ? 0 : random() % (padding + 1);
        made.push_back(key + "#" + std::to_string(n) + std::string(pad, 'x'));
    }
    return made;
}

} // namespace

class TestSpillSort : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void givesBackAStableSort_data();
    void givesBackAStableSort();
    void failingTemporaryFileIsAFailure();
};

void TestSpillSort::givesBackAStableSort_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("keyBytes");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("padding");
    QTest::addColumn<int>("memory");
    QTest::addColumn<bool>("spills");
    QTest::newRow("nothing added") << 0 << 4 << 10 << 0 << 4096 << false;
    QTest::newRow("all within memory") << 500 << 6 << 1000000 << 20 << (1 << 20) << false;
    QTest::newRow("many more runs than memory holds") << 20000 << 6 << 1000000 << 20 << 4096 << true;
    QTest::newRow("equal keys across runs keep their order") << 20000 << 2 << 7 << 5 << 4096 << true;
    QTest::newRow("every key equal") << 3000 << 1 << 1 << 0 << 1024 << true;
    QTest::newRow("entries longer than the memory") << 50 << 3 << 20 << 3000 << 512 << true;
    QTest::newRow("one entry per run") << 40 << 3 << 5 << 0 << 1 << true;
}

void TestSpillSort::givesBackAStableSort() {
    QFETCH(int, count);
    QFETCH(int, keyBytes);
    QFETCH(int, keys);
    QFETCH(int, padding);
    QFETCH(int, memory);
    QFETCH(bool, spills);
    const std::vector<std::string> added =
        entries(static_cast<std::size_t>(count), static_cast<std::size_t>(keyBytes), keys,
                static_cast<std::size_t>(padding));
    std::vector<std::string> expected = added;
    std::stable_sort(expected.begin(), expected.end(), byPrefix(static_cast<std::size_t>(keyBytes)));

    SpillSort sort(byPrefix(static_cast<std::size_t>(keyBytes)), static_cast<std::size_t>(memory));
    for (const std::string& entry : added)
        sort.add(entry);
    sort.finish();
    std::vector<std::string> got;
    for (std::string_view entry; sort.next(entry);)
        got.emplace_back(entry);
    QVERIFY2(!sort.failure(), sort.failure() ? describe(*sort.failure()).c_str() : "");
    QCOMPARE(sort.runs() > 1, spills);
    QCOMPARE(sort.size(), static_cast<std::uint64_t>(count));
    QCOMPARE(got.size(), expected.size());
    for (std::size_t n = 0; n < got.size(); ++n)
        QVERIFY2(got[n] == expected[n], (std::to_string(n) + ": " + got[n] + " for " + expected[n]).c_str());
}

void TestSpillSort::failingTemporaryFileIsAFailure() {
    const std::string folder = QDir::tempPath().toStdString() + "/no-such-folder-for-a-sort";
    SpillSort sort(byPrefix(4), 256, folder);
    for (const std::string& entry : entries(100, 4, 50, 10))
        sort.add(entry);
    std::string_view entry;
    QVERIFY(!sort.next(entry));
    QVERIFY(sort.failure());
    const std::string message = describe(*sort.failure());
    QVERIFY2(message.find(folder) != std::string::npos, message.c_str());
    QVERIFY2(message.find("No such file or directory") != std::string::npos, message.c_str());
}

QTEST_GUILESS_MAIN(TestSpillSort)
#include "test_spill_sort.moc"
