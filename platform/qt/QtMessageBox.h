// SPDX-License-Identifier: MIT
#pragma once

#include "shared/MsgBox.h"

#include <functional>

// Message boxes as application-modal Qt dialogs with the warning icon.
class QtMessageBox : public MessageBoxHandler {
public:
    // title gives the application's current title at the moment a box opens.
    explicit QtMessageBox(std::function<std::string()> title);
    std::string ApplicationTitle() const override;
    int Show(const std::string& text, const std::string& caption, int flags) override;

private:
    std::function<std::string()> title_;
};
