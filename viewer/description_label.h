// The description label of the zoom view.
//
// Its caption holds each item followed by a line feed and a carriage return, exactly as read; the label
// shows every item on a line of its own with no stray glyph for the carriage return.
#pragma once

#include <QLabel>

namespace specialty {

class DescriptionLabel : public QLabel {
    Q_OBJECT

  public:
    explicit DescriptionLabel(QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);

  private:
    QString caption_;
};

} // namespace specialty
