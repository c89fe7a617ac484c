#include "description_label.h"

namespace specialty {

DescriptionLabel::DescriptionLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void DescriptionLabel::setCaption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.remove(QLatin1Char('\r'));
    if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
    setText(shown);
}

} // namespace specialty
