// Window geometry in twips (1/1440 inch), the unit of the window's design; 15 twips make one logical pixel.
//
// Every placed control carries its exact twips rectangle as the property "twips", so code that computes
// with positions and sizes (the zoom view) works on the exact values; the pixel geometry is derived from it
// by rounding the edges, which keeps neighbouring controls in the relation the design gives them.
#pragma once

#include <QRect>
#include <QRectF>

class QWidget;

namespace specialty {

constexpr double kTwipsPerPixel = 15.0;

// Pixel rectangle of a twips rectangle: each edge rounded on its own.
QRect twipsToPixels(const QRectF& twips);

void setTwipsGeometry(QWidget* control, const QRectF& twips);
QRectF twipsGeometry(const QWidget* control);

// The window's outer size (frame and title bar included), in twips.
QSizeF outerSizeInTwips(const QWidget* window);

} // namespace specialty
