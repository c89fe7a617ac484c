// The zoom view's own two controls: the part's picture at its own size, and its description beside it.
//
// Both stand directly on the window, hidden until a slot is zoomed. The window switches its other controls
// between the slot view and the zoom view; this class creates, places and empties these two.
#pragma once

#include "pictures/picture_source.h"

#include <QString>

#include <memory>

class QWidget;

namespace specialty {

class DescriptionLabel;
class PictureBox;

class ZoomView {
  public:
    // Creates the picture and the description, hidden, on `window`.
    explicit ZoomView(QWidget* window);

    // Shows `picture` (shared, not copied; null for none) at its own size below the button row, and the
    // description to its right, sized by the picture and the window's outer size. Of a picture larger than
    // the window only what the window shows is decoded. The description's text is left as it is.
    void open(std::shared_ptr<PictureSource> picture);
    // Hides both. The picture control lets go of the picture and measures 0 x 0; the description keeps its
    // text until it is next set.
    void close();

    DescriptionLabel* description() const { return description_; }

  private:
    QWidget* window_;
    PictureBox* picture_;
    DescriptionLabel* description_;
};

} // namespace specialty
