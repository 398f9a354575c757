// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>
#include <string>

class QSocketNotifier;
class SessionEndHandler;
struct _SmcConn;

// Reads SESSION_MANAGER, removes it from the environment and returns it (empty
// when unset). Call it in main before the QApplication exists: Qt's xcb
// platform plugin opens its own session-management connection while the
// application object is built, but only when that variable is set, and the
// monitor would then be registered twice, once through a client that knows
// nothing of its shutdown restore. Not thread-safe: call before any thread
// starts.
std::string TakeSessionManagerAddress();

// Puts the address back into the environment (nothing for an empty one), so
// that programs the monitor starts, such as the browser, still join the
// session. Call it after the QApplication has been built, when Qt no longer
// looks at the variable.
void RestoreSessionManagerAddress(const std::string& address);

// The monitor as a client of the X session manager (XSMP over ICE). It turns
// the manager's messages into SessionEndHandler calls on the GUI thread:
//
//   SaveYourself for a shutdown   -> QueryEndSession(), then "save done"
//   SaveYourself for a checkpoint -> "save done" only
//   Die                           -> EndSession(true), close, then quit
//   ShutdownCancelled             -> EndSession(false); the program runs on
//
// The monitor brings itself back through its autostart entry, so it asks the
// manager never to restart it (SmRestartNever); otherwise it would start
// twice at the next login. A broken connection is closed and forgotten; the
// program keeps running without session management.
class XsmpClient : public QObject {
    Q_OBJECT
public:
    // address: the manager's network ids as SESSION_MANAGER gives them; an
    // empty one leaves the client unconnected. quit runs after EndSession(true)
    // when the manager says die; empty means QCoreApplication::quit. The
    // connection is opened here; the handler must outlive this object.
    XsmpClient(SessionEndHandler& handler, const std::string& address, std::function<void()> quit = {},
               QObject* parent = nullptr);
    ~XsmpClient() override;
    XsmpClient(const XsmpClient&) = delete;
    XsmpClient& operator=(const XsmpClient&) = delete;

    bool IsConnected() const { return connection_ != nullptr; }
    // The id the manager gave this client; empty when not connected.
    const std::string& ClientId() const { return clientId_; }
    // Why the connection could not be opened; empty after success.
    const std::string& Error() const { return error_; }

private:
    struct Callbacks;

    void Open(const std::string& address);
    void SetProperties();
    void OnReadable();
    void Close();

    void OnSaveYourself(bool shutdown);
    void OnDie();
    void OnShutdownCancelled();

    SessionEndHandler& handler_;
    std::function<void()> quit_;
    _SmcConn* connection_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    std::string clientId_;
    std::string error_;
    bool shutdownPending_ = false;
    // Set inside a callback; acted on once libSM has finished with the message.
    bool closeRequested_ = false;
};
