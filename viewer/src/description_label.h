// The description label of the zoom view.
//
// Its caption holds each item followed by a line feed and a carriage return, exactly as read; the label
// shows every item on a line of its own with no stray glyph for the carriage return. A description longer
// than the label scrolls inside it, by the mouse wheel and a scroll bar that appears only then: the label
// keeps its place and size whatever its text, and takes no focus. Lines are laid out only as they come into
// view, so a description of a megabyte shows at once; a line of more than a thousand characters is shown
// as lines of at most that many, each broken after a blank where it has one.
#pragma once

#include <QPlainTextEdit>

namespace specialty {

class DescriptionLabel : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit DescriptionLabel(QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    // Sets the text and shows its beginning.
    void setCaption(const QString& caption);
    // The text as shown: one line per item (and per thousand characters of a longer one).
    QString text() const;

  private:
    QString caption_;
};

} // namespace specialty
