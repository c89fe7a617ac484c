// A frame: a group box whose caption stands in its top border line, the line broken behind the caption.
//
// Only the drawing is its own. The box keeps the rectangle the layout gives it, and the controls inside keep
// theirs: nothing in the window is placed by the style's idea of where a group box's contents begin.
#pragma once

#include <QGroupBox>

namespace specialty {

class FrameBox : public QGroupBox {
    Q_OBJECT

  public:
    FrameBox(const QString& caption, QWidget* parent);

    // Where the top border line runs, from the box's top: through the middle of the caption's line.
    int borderLineY() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace specialty
