// The title a window manager shows for the window.
//
// Qt never leaves a title empty: it hands the window manager the program's name instead. The window's
// title is empty until a record is shown, so where the windowing system is X11 the name the window manager
// reads (_NET_WM_NAME) is emptied as well.
#pragma once

#include <QString>

class QWidget;

namespace specialty {

// Sets `title` as the title the window manager shows, empty included. The window must exist on the
// windowing system (shown, or its native window made) for an empty title to reach it.
void setShownTitle(QWidget* window, const QString& title);

} // namespace specialty
