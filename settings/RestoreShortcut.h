// SPDX-License-Identifier: MIT
#pragma once

// The autostart entry that starts the program again at the next login after
// the session ended while it ran. The program passes the real entry; tests
// pass one that records what was asked of it.
class RestoreShortcut {
public:
    virtual ~RestoreShortcut() = default;
    // Leaves the entry, starting the program minimised when it is minimised
    // now. Failures are silent: the session may always end.
    virtual void Write(bool minimized) = 0;
    // Removes the entry; one that is not there is no failure.
    virtual void Remove() = 0;
};
