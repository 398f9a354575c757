// SPDX-License-Identifier: MIT
#include "platform/x11/XDisplayProbe.h"

#include <xcb/xcb.h>

bool CanOpenXDisplay()
{
    // xcb_connect never returns null: a failed connection is an object in an
    // error state, and it must be freed all the same.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool open = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return open;
}
