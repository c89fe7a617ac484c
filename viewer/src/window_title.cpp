#include "window_title.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(SPECIALTY_X11_TITLE)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace specialty {

namespace {

#if defined(SPECIALTY_X11_TITLE)
xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Empties the UTF-8 name EWMH window managers read before the old WM_NAME, which Qt leaves empty itself.
void emptyX11Name(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") || window->windowHandle() == nullptr) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return;
    const xcb_atom_t name = atomNamed(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atomNamed(connection, "UTF8_STRING");
    if (name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), name,
                        utf8, 8, 0, nullptr);
    xcb_flush(connection);
}
#else
void emptyX11Name(QWidget*) {}
#endif

} // namespace

void setShownTitle(QWidget* window, const QString& title) {
    window->setWindowTitle(title);
    if (title.isEmpty()) emptyX11Name(window);
}

} // namespace specialty
