#include "description_label.h"

#include <QLabel>
#include <QScrollBar>

namespace specialty {

DescriptionLabel::DescriptionLabel(QWidget* parent) : QScrollArea(parent), shown_(new QLabel) {
    shown_->setTextFormat(Qt::PlainText); // description text is never markup
    shown_->setWordWrap(true);
    shown_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The text takes no input of its own: the pointer's wheel goes straight to the scrolling area under it.
    shown_->setAttribute(Qt::WA_TransparentForMouseEvents);
    // A white box with a thin single-line border, as the label always was.
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    QPalette white = palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    white.setColor(QPalette::Base, QColor(255, 255, 255));
    viewport()->setPalette(white);
    shown_->setPalette(white);
    shown_->setAutoFillBackground(true);
    // The text follows the label's width, so only the height can outgrow it.
    setWidgetResizable(true);
    setWidget(shown_);
    for (QWidget* part :
         {static_cast<QWidget*>(this), viewport(), static_cast<QWidget*>(shown_),
          static_cast<QWidget*>(verticalScrollBar()), static_cast<QWidget*>(horizontalScrollBar())})
        part->setFocusPolicy(Qt::NoFocus);
}

void DescriptionLabel::setCaption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.remove(QLatin1Char('\r'));
    if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
    shown_->setText(shown);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

QString DescriptionLabel::text() const {
    return shown_->text();
}

} // namespace specialty
