// A picture control: shows one picture, scaled to fill the control or at the picture's own size.
#pragma once

#include "pictures/picture_source.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <memory>

namespace specialty {

class PictureBox : public QWidget {
    Q_OBJECT

  public:
    enum class Mode {
        Scaled,   // the picture is stretched over the whole control, whatever its proportions
        Unscaled, // the picture is drawn at its own size and the control takes that size
    };

    explicit PictureBox(Mode mode, QWidget* parent = nullptr);

    // The picture is shared, not copied: two controls given the same picture hold one image. An unscaled
    // control given a source holds the part of its picture it shows.
    const QImage& picture() const { return picture_; }
    // `preview`, when given, is the picture already scaled to the control's size in device pixels; a
    // scaled control shows it instead of scaling the picture itself.
    void setPicture(const QImage& picture, const QImage& preview = QImage());

    // An unscaled control showing a picture kept by `source` (shared, not copied; null for none): the
    // control takes the picture's own size, and only the part of it inside the control's parent is
    // decoded, when shownPart() is called and when it is drawn, so that a picture of any size costs one
    // parent's area of pixels.
    void setSource(std::shared_ptr<PictureSource> source);
    const std::shared_ptr<PictureSource>& source() const { return source_; }
    // The control's area inside its parent, in its own coordinates; picture() becomes the source's
    // picture there.
    QRect shownPart();

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
    void takeSize(QSize size);

    Mode mode_;
    std::shared_ptr<PictureSource> source_;
    QRect partArea_; // the area of the source's picture that picture_ holds
    QImage picture_;
    QImage preview_;
    QPixmap scaled_; // the picture at the control's size, made when first drawn
    bool border_ = false;
    bool pressed_ = false;
};

} // namespace specialty
