// How long the zoom view's description takes to read, set and paint, at its first view and at its end,
// for descriptions of a page, a megabyte, 50 MB of lines and one line of 50 MB (cut at a megabyte).
//   QT_QPA_PLATFORM=offscreen build/bench/bench_description
// Prints one line per case: milliseconds to read the file, to set the text, to paint the first view, and
// to scroll to the end and paint it.
#include "catalogue/description_reader.h"
#include "viewer/src/description_label.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string lines(std::size_t bytes) {
    std::string text;
    text.reserve(bytes);
    for (int n = 1; text.size() + 50 <= bytes; ++n) {
        std::string line = "line " + std::to_string(n) + " of a long description, words";
        text += line.append(48 - std::min<std::size_t>(48, line.size()), '.') + "\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a page (2 KB)", lines(2000)},
        {"1 MB of lines", lines(1000000)},
        {"50 MB of lines", lines(50u << 20)},
        {"one line of 50 MB", std::string(50u << 20, 'x') + "\r\n"},
    };
    specialty::DescriptionLabel label;
    label.resize(500, 450); // about the zoom view's size beside a small picture
    label.show();
    std::printf("%-20s %8s %8s %8s %8s\n", "description", "read", "set", "paint", "end");
    for (const auto& c : cases) {
        const std::string path = dir.filePath("d.txt").toStdString();
        std::ofstream(path, std::ios::binary) << c.bytes;
        QElapsedTimer clock;
        clock.start();
        const auto description = specialty::readDescription(path);
        const qint64 read = clock.restart();
        label.setCaption(QString::fromLatin1(description->caption.data(),
                                             static_cast<qsizetype>(description->caption.size())));
        const qint64 set = clock.restart();
        label.grab(); // lays out and paints what is in view
        const qint64 paint = clock.restart();
        label.verticalScrollBar()->setValue(label.verticalScrollBar()->maximum());
        label.grab();
        const qint64 end = clock.restart();
        std::printf("%-20s %8lld %8lld %8lld %8lld\n", c.name, static_cast<long long>(read),
                    static_cast<long long>(set), static_cast<long long>(paint), static_cast<long long>(end));
    }
    return 0;
}
