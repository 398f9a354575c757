// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;
class SessionEndHandler;

// Without a session manager, a desktop session usually ends by sending
// SIGTERM (or SIGHUP when the terminal or login goes away). Those are taken
// as the end of the session: QueryEndSession(), EndSession(true), then quit.
//
// The signal handler itself only writes a byte into a socket pair; the work
// happens in the event loop on the GUI thread, where saving is safe. One
// watcher at a time; it installs its handlers (SA_RESTART) when built and
// puts the previous dispositions back when destroyed.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    // quit runs after EndSession(true); empty means QCoreApplication::quit.
    // The handler must outlive this object. Throws std::system_error when the
    // socket pair or a handler cannot be set up, std::logic_error when another
    // watcher is alive.
    explicit TerminationWatcher(SessionEndHandler& handler, std::function<void()> quit = {},
                                QObject* parent = nullptr);
    ~TerminationWatcher() override;
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

private:
    void OnSignal();

    SessionEndHandler& handler_;
    std::function<void()> quit_;
    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    // Signals that arrive while the first one is handled, or afterwards while
    // the program is already on its way out, change nothing.
    bool handled_ = false;
};
