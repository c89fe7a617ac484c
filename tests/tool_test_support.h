// What the tests of specialty-catalogue share: the program run as a user runs it, and check's findings as
// compact lines to compare.
#pragma once

#include "test_support.h"
#include "tools/check/catalogue_check.h"

#include <QStringList>

namespace specialty::test {

inline ProgramRun tool(const QStringList& arguments, const QString& stdoutFile = QString()) {
    return runProgram(SPECIALTY_TOOL, arguments, stdoutFile);
}

// "level line: message" for each finding.
inline QStringList findingLines(const CheckReport& report) {
    QStringList lines;
    for (const Finding& f : report.findings)
        lines << QString("%1 %2: %3")
                     .arg(f.level == Finding::Level::Error ? "error" : "warning")
                     .arg(f.line)
                     .arg(QString::fromStdString(f.message()));
    return lines;
}

} // namespace specialty::test
