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

void DescriptionLabel::setCaption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.remove(QLatin1Char('\r'));
    if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
    setPlainText(shown); // shows the beginning
    verticalScrollBar()->setValue(0);
}

QString DescriptionLabel::text() const {
    return toPlainText();
}

} // namespace specialty
