// A push button that Enter presses as well as Space, without being the window's default button.
#pragma once

#include <QPushButton>

namespace specialty {

class CommandButton : public QPushButton {
    Q_OBJECT

  public:
    CommandButton(const QString& caption, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace specialty
