// SPDX-License-Identifier: MIT
#pragma once

#include "shared/MsgBox.h"

#include <string>
#include <vector>

// Records every message box instead of showing it; installed for its lifetime.
class RecordingMessageBox : public MessageBoxHandler {
public:
    struct Shown {
        std::string text;
        std::string caption;
        int flags;
    };

    explicit RecordingMessageBox(std::string title = "ペロリン", int answer = IDOK)
        : title_(std::move(title)), answer_(answer)
    {
        previous_ = CurrentMessageBoxHandler();
        SetMessageBoxHandler(this);
    }
    ~RecordingMessageBox() override { SetMessageBoxHandler(previous_); }

    std::string ApplicationTitle() const override { return title_; }
    int Show(const std::string& text, const std::string& caption, int flags) override
    {
        shown.push_back({text, caption, flags});
        return answer_;
    }

    std::vector<Shown> shown;

private:
    std::string title_;
    int answer_;
    MessageBoxHandler* previous_ = nullptr;
};
