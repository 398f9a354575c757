// SPDX-License-Identifier: MIT
#include "shared/MsgBox.h"

#include <cstdio>

namespace {
MessageBoxHandler* g_handler = nullptr;
}

void SetMessageBoxHandler(MessageBoxHandler* handler)
{
    g_handler = handler;
}

MessageBoxHandler* CurrentMessageBoxHandler()
{
    return g_handler;
}

int MsgBox(const std::string& text, const std::string& caption, int flags)
{
    if (!g_handler) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return (flags & MB_YESNO) ? IDNO : IDOK;
    }
    const std::string shown = caption.empty() ? g_handler->ApplicationTitle() : caption;
    return g_handler->Show(text, shown, flags);
}
