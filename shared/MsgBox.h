// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// Message box flags and button identifiers, with the values callers and
// stored behaviour know them by.
inline constexpr int MB_OK = 0x00;
inline constexpr int MB_YESNO = 0x04;
inline constexpr int MB_ICONEXCLAMATION = 0x30;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows message boxes for the shared MsgBox. The program installs one that
// opens a real dialog; tests install one that records.
class MessageBoxHandler {
public:
    virtual ~MessageBoxHandler() = default;
    // The application's current title: the caption of a box asked for with an
    // empty caption.
    virtual std::string ApplicationTitle() const = 0;
    // Shows the box and returns the identifier of the button that closed it.
    virtual int Show(const std::string& text, const std::string& caption, int flags) = 0;
};

// Installs the handler (not owned); nullptr removes it.
void SetMessageBoxHandler(MessageBoxHandler* handler);
MessageBoxHandler* CurrentMessageBoxHandler();

// Shows text with caption, or with the application's current title when the
// caption is empty. Without a handler the text goes to standard error and the
// result is IDOK (IDNO for a question, the safe answer).
int MsgBox(const std::string& text, const std::string& caption, int flags);
