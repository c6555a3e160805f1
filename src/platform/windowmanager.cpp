// Keeping in step with the X11 window manager: waiting for a hidden window's withdrawal.
#include "suiteframe/platform/windowmanager_p.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform::windowmanager {

namespace {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template<typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_atom_t existingAtom(xcb_connection_t *connection, const char *name)
{
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, true, uint16_t(qstrlen(name)), name),
                              nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Whether the manager still holds the window: it keeps WM_STATE on the windows it
// manages, and sets it to Withdrawn (0) or removes it when it lets go of one.
bool heldByManager(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t wmState)
{
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, false, window, wmState, XCB_ATOM_ANY, 0, 1),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get())) != 0;
}

} // namespace

void awaitWithdrawal(const QWidget &window, int timeoutMs)
{
    const QWindow *handle = window.windowHandle();
    if (window.isVisible() || !handle || !handle->handle())
        return;
    // The offscreen platform offers the X11 interface too, without a connection.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_atom_t wmState = existingAtom(connection, "WM_STATE");
    if (wmState == XCB_ATOM_NONE)
        return;
    const auto id = xcb_window_t(handle->winId());
    // The manager is another process: polling the server leaves this program's own
    // events where they are.
    QElapsedTimer clock;
    clock.start();
    while (heldByManager(connection, id, wmState) && clock.elapsed() < timeoutMs)
        QThread::msleep(2);
}

} // namespace platform::windowmanager
