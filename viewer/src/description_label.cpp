#include "description_label.h"

#include <QScrollBar>

namespace specialty {

DescriptionLabel::DescriptionLabel(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // A label: no cursor, no selection, no focus; the pointer's wheel scrolls it.
    setTextInteractionFlags(Qt::NoTextInteraction);
    viewport()->setCursor(Qt::ArrowCursor);
    setContextMenuPolicy(Qt::NoContextMenu);
    setUndoRedoEnabled(false);
    // A white box with a thin single-line border, as the label always was.
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    QPalette white = palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    white.setColor(QPalette::Base, QColor(255, 255, 255));
    setPalette(white);
    // The text follows the label's width, so only the height can outgrow it.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (QWidget* part : {static_cast<QWidget*>(this), viewport(), static_cast<QWidget*>(verticalScrollBar()),
                          static_cast<QWidget*>(horizontalScrollBar())})
        part->setFocusPolicy(Qt::NoFocus);
}

namespace {

// The longest line handed to the layout. A line is laid out whole when any of it comes into view, and a
// megabyte-long one would take many seconds; a wrapped line of the label holds far fewer characters.
constexpr qsizetype kLongestLine = 1000;

// The caption as lines: the carriage returns dropped, and a line longer than kLongestLine broken after the
// last blank within it (anywhere when it has none), where the label would most likely wrap it anyway.
QString shownLines(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    qsizetype lineStart = 0;
    for (const QChar c : caption) {
        if (c == QLatin1Char('\r')) continue;
        shown += c;
        if (c == QLatin1Char('\n')) {
            lineStart = shown.size();
        } else if (shown.size() - lineStart >= kLongestLine) {
            const qsizetype blank = shown.lastIndexOf(QLatin1Char(' '));
            const qsizetype at = blank > lineStart ? blank + 1 : shown.size();
            shown.insert(at, QLatin1Char('\n'));
            lineStart = at + 1;
        }
    }
    if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
    return shown;
}

} // namespace

void DescriptionLabel::setCaption(const QString& caption) {
    caption_ = caption;
    setPlainText(shownLines(caption)); // shows the beginning
    verticalScrollBar()->setValue(0);
}

QString DescriptionLabel::text() const {
    return toPlainText();
}

} // namespace specialty
