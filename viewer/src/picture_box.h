// A picture control: shows one picture, scaled to fill the control or at the picture's own size.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace specialty {

class PictureBox : public QWidget {
    Q_OBJECT

  public:
    enum class Mode {
        Scaled,   // the picture is stretched over the whole control, whatever its proportions
        Unscaled, // the picture is drawn at its own size and the control takes that size
    };

    explicit PictureBox(Mode mode, QWidget* parent = nullptr);

    // The picture is shared, not copied: two controls given the same picture hold one image.
    const QImage& picture() const { return picture_; }
    // `preview`, when given, is the picture already scaled to the control's size in device pixels; a
    // scaled control shows it instead of scaling the picture itself.
    void setPicture(const QImage& picture, const QImage& preview = QImage());

    // A thin single-line border around the control, or none.
    bool hasBorder() const { return border_; }
    void setBorder(bool border);

  Q_SIGNALS:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Mode mode_;
    QImage picture_;
    QImage preview_;
    QPixmap scaled_; // the picture at the control's size, made when first drawn
    bool border_ = false;
    bool pressed_ = false;
};

} // namespace specialty
