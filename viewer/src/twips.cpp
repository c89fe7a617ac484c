#include "twips.h"

#include <QVariant>
#include <QWidget>

#include <cmath>

namespace specialty {

namespace {

constexpr const char* kTwipsProperty = "twips";

int pixelEdge(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

} // namespace

QRect twipsToPixels(const QRectF& twips) {
    int left = pixelEdge(twips.left());
    int top = pixelEdge(twips.top());
    int right = pixelEdge(twips.left() + twips.width());
    int bottom = pixelEdge(twips.top() + twips.height());
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

void setTwipsGeometry(QWidget* control, const QRectF& twips) {
    control->setProperty(kTwipsProperty, twips);
    control->setGeometry(twipsToPixels(twips));
}

QRectF twipsGeometry(const QWidget* control) {
    return control->property(kTwipsProperty).toRectF();
}

QSizeF outerSizeInTwips(const QWidget* window) {
    QSize outer = window->frameGeometry().size();
    return QSizeF(outer.width() * kTwipsPerPixel, outer.height() * kTwipsPerPixel);
}

} // namespace specialty
