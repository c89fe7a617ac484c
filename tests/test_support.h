// Helpers shared by the tests: data folders in temporary directories, catalogue lines, solid pictures.
#pragma once

#include "catalogue/result.h"
#include "viewer/specialty_window.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace specialty::test {

// One catalogue line of 23 fields; `parts` maps PartCode numbers (1..16) to codes.
std::string recordLine(const std::string& id, const std::string& make, const std::string& model,
                       const std::string& submodel, const std::string& yearFrom, const std::string& yearTo,
                       const std::map<int, std::string>& parts = {});
// The end record.
std::string endRecordLine();

// A progressive JPEG of one colour whose last scan is repeated `extraScans` more times: still a valid
// picture, but one that costs a decoder a pass over every pixel for each scan.
std::string progressiveJpeg(QSize size, int extraScans = 0);
// A picture check that finds every picture whole, for checks that are not about pictures.
inline Status everyPictureShowsWhole(const std::string&) {
    return Done{};
}

class DataFolder {
  public:
    DataFolder();
    // The folder path, ending in "/".
    std::string path() const;
    std::string file(const std::string& name) const { return path() + name; }

    void writeFile(const std::string& name, const std::string& bytes) const;
    void writeCatalogue(const std::vector<std::string>& lines) const; // joined with CR LF
    // A JPEG of one colour, named for the part code.
    void writePicture(const std::string& code, QColor colour, QSize size = QSize(64, 48)) const;
    void writeDescription(const std::string& code, const std::string& bytes) const;
    void remove(const std::string& name) const;

  private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// A window on a data folder whose messages are recorded instead of shown.
class RecordingWindow {
  public:
    explicit RecordingWindow(const DataFolder& folder);
    SpecialtyWindow& operator*() { return *window_; }
    SpecialtyWindow* operator->() { return window_.get(); }
    QStringList messages;
    int exits = 0;

    template <typename T = QWidget>
    T* control(const QString& name) const {
        return window_->findChild<T*>(name);
    }
    // Clicks the control with this object name.
    void click(const QString& name) const;
    // The colour at the centre of slot N as drawn in the window.
    QColor slotColour(int slot) const;
    // True when two colours differ by no more than JPEG noise.
    static bool near(QColor a, QColor b);

  private:
    std::unique_ptr<SpecialtyWindow> window_;
};

// A program run to its end (two minutes at most): its exit status (-1 when it crashed or did not end) and
// what it wrote. With `stdoutFile` its standard output goes there instead.
struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};
ProgramRun runProgram(const QString& program, const QStringList& arguments,
                      const QString& stdoutFile = QString());

} // namespace specialty::test
