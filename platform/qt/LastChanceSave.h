// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// When the X connection breaks, as it does when the display goes away at the
// end of a session without a session manager, Qt's xcb plugin prints "The
// X11 connection broke" and calls exit(1) from inside the event loop. No
// window code runs after that, but atexit handlers do. This keeps one save
// function for that moment: it runs once at exit unless the program said a
// normal goodbye first.
//
// Precondition for the function: at exit it may use only plain data (copies
// of the settings, the window position and flags) and plain file calls. No
// widget, no Qt object and no QCoreApplication may be touched: the exit can
// come from deep inside Qt's event processing, with Qt half torn down. It
// should not throw (an exception is caught and dropped). Whatever it refers
// to must stay alive until DisarmLastChanceSave() is called, or to the end of
// the process; an exit from the event loop keeps main's locals alive.

// Arms the save, replacing a function set before. The first call registers
// the atexit hook, so call it after the QApplication exists: the hook then
// runs before the library teardown that was registered earlier.
void SetLastChanceSave(std::function<void()> save);

// The normal exit path calls this after its own save: nothing runs at exit.
// SetLastChanceSave arms it again.
void DisarmLastChanceSave();
