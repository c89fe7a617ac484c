#include "frame_box.h"

#include <QPainter>

#include <algorithm>

namespace specialty {

namespace {

// The caption begins this far in from the box's left edge, with a gap of kGap in the line on either side.
constexpr int kCaptionLeft = 8;
constexpr int kGap = 2;

} // namespace

FrameBox::FrameBox(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

int FrameBox::borderLineY() const {
    return fontMetrics().height() / 2;
}

// An etched line: a dark line with a light one right below and right of it, as a sunken frame shows.
void FrameBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = rect();
    const int top = borderLineY();
    const int captionWidth = title().isEmpty() ? 0 : fontMetrics().horizontalAdvance(title());
    // The top line leaves out the caption and a small gap on either side of it.
    const int gapFrom = captionWidth > 0 ? kCaptionLeft - kGap : box.right();
    const int gapTo = kCaptionLeft + captionWidth + kGap;
    const int right = box.right() - 1, bottom = box.bottom() - 1;
    const QColor lines[] = {palette().color(QPalette::Dark), palette().color(QPalette::Light)};
    for (int shade = 0; shade < 2; ++shade) {
        painter.setPen(lines[shade]);
        const int d = shade; // the light line lies one pixel right of and below the dark one
        painter.drawLine(d, top + d, d, bottom + d);
        painter.drawLine(d, bottom + d, right + d, bottom + d);
        painter.drawLine(right + d, top + d, right + d, bottom + d);
        painter.drawLine(d, top + d, std::min(gapFrom, right) + d, top + d);
        if (gapTo < right) painter.drawLine(gapTo + d, top + d, right + d, top + d);
    }
    if (captionWidth == 0) return;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QRect(kCaptionLeft, 0, captionWidth, fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title());
}

} // namespace specialty
