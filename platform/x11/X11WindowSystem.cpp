// SPDX-License-Identifier: MIT
#include "platform/x11/X11WindowSystem.h"

#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {
constexpr uint32_t kNetWmStateRemove = 0;
constexpr uint32_t kNetWmStateAdd = 1;
constexpr uint32_t kSourcePager = 2;  // a request on the user's behalf, as a pager sends it
} // namespace

X11WindowSystem::X11WindowSystem()
{
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        connection_ = x11->connection();
        if (connection_) {
            const xcb_setup_t* setup = xcb_get_setup(connection_);
            xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
            if (it.rem)
                root_ = it.data->root;
        }
    }
}

uint32_t X11WindowSystem::Atom(std::string_view name) const
{
    xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

void X11WindowSystem::SendToRoot(uint32_t window, uint32_t type, const uint32_t (&data)[5]) const
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (int i = 0; i < 5; ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
}

void X11WindowSystem::ActivateWindow(uint32_t window)
{
    if (!connection_ || !root_ || !window)
        return;
    SendToRoot(window, Atom("_NET_ACTIVE_WINDOW"), {kSourcePager, XCB_CURRENT_TIME, 0, 0, 0});
}

void X11WindowSystem::SetSkipTaskbar(uint32_t window, bool skip)
{
    if (!connection_ || !root_ || !window)
        return;
    const uint32_t state = Atom("_NET_WM_STATE");
    const uint32_t skipTaskbar = Atom("_NET_WM_STATE_SKIP_TASKBAR");
    // A mapped window's state belongs to the window manager and changes only
    // by request; the request is ignored for an unmapped one, whose property
    // the window manager reads when it maps the window.
    SendToRoot(window, state, {skip ? kNetWmStateAdd : kNetWmStateRemove, skipTaskbar, 0, kSourcePager, 0});
}

std::optional<std::pair<int, int>> X11WindowSystem::FramePosition(uint32_t window)
{
    if (!connection_ || !root_ || !window)
        return std::nullopt;
    xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
    if (!origin)
        return std::nullopt;
    int x = origin->dst_x;
    int y = origin->dst_y;
    std::free(origin);
    // The frame reaches left of and above the client by the extents the
    // window manager publishes (left, right, top, bottom).
    xcb_get_property_reply_t* extents = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, Atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4),
        nullptr);
    if (extents) {
        if (extents->format == 32 && xcb_get_property_value_length(extents) == 16) {
            const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(extents));
            x -= static_cast<int>(v[0]);
            y -= static_cast<int>(v[2]);
        }
        std::free(extents);
    }
    return std::make_pair(x, y);
}
