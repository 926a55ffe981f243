#include "ui/app/windowmanagerhints.h"

#include <QGuiApplication>
#include <QWidget>

#if QT_CONFIG(xcb) && defined(TAGSCOPE_HAVE_XCB)
#define TAGSCOPE_X11_HINTS 1
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeDeleter
{
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace
#endif

void KeepOutOfTaskbar(QWidget* window)
{
#ifdef TAGSCOPE_X11_HINTS
    // The offscreen platform offers the X11 interface too, without a connection.
    if (!window || !window->isWindow() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    if (state == XCB_ATOM_NONE)
        return;
    // Qt merges its own entries (above, modal, ...) into what the window already holds when it maps it, so the
    // entries are added to the property, not put in its place.
    std::vector<xcb_atom_t> atoms;
    const Reply<xcb_get_property_reply_t> current(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (current && current->type == XCB_ATOM_ATOM && current->format == 32) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(current.get()));
        atoms.assign(values, values + current->value_len);
    }
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t atom = internAtom(connection, name);
        if (atom != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), atom) == atoms.end())
            atoms.push_back(atom);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()),
                        atoms.data());
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}
