// SPDX-License-Identifier: MIT
#pragma once

// What the monitor does when the user's session ends. Every route by which
// Linux announces that end (the X session manager, a termination signal) is
// turned into these two calls, made on the GUI thread from the event loop.
class SessionEndHandler {
public:
    virtual ~SessionEndHandler() = default;

    // The session is about to end: leave the autostart entry behind when
    // shutdown restore is wanted, so the monitor comes back at the next login.
    virtual void QueryEndSession() = 0;

    // ending = true: the session ends and the program will quit; save.
    // ending = false: the end was cancelled and the program keeps running;
    // save, and remove the autostart entry QueryEndSession left.
    virtual void EndSession(bool ending) = 0;
};
