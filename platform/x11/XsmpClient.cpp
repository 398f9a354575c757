// SPDX-License-Identifier: MIT
#include "platform/x11/XsmpClient.h"

#include "platform/SessionEndHandler.h"
#include "shared/GuardedCall.h"
#include "shared/ProgramPath.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <pthread.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

// The X headers define Bool, Status, True and False as macros, which clash
// with names in Qt's headers: they come last.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

namespace {

constexpr const char* kVariable = "SESSION_MANAGER";

// Every live client, so that libICE's process-wide error handlers can find the
// connection an error belongs to.
std::vector<XsmpClient*>& LiveClients()
{
    static std::vector<XsmpClient*> clients;
    return clients;
}

// libICE writes with plain write(): a manager that has gone away would end the
// monitor with SIGPIPE before it could save. The signal is held back on this
// thread while libSM works, and one it raised is taken off again.
class SigpipeHold {
public:
    SigpipeHold()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~SigpipeHold()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now{};
            while (sigtimedwait(&pipe_, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SigpipeHold(const SigpipeHold&) = delete;
    SigpipeHold& operator=(const SigpipeHold&) = delete;

private:
    sigset_t pipe_;
    sigset_t previous_;
    bool wasPending_ = false;
};

std::string UserName()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(geteuid());
}

// One property a message: simple, and the manager sees each as it arrives.
void SetProperty(SmcConn connection, const char* name, const char* type, std::vector<SmPropValue> values)
{
    SmProp property{const_cast<char*>(name), const_cast<char*>(type), static_cast<int>(values.size()),
                    values.data()};
    SmProp* list[] = {&property};
    SmcSetProperties(connection, 1, list);
}

SmPropValue TextValue(const std::string& text)
{
    return SmPropValue{static_cast<int>(text.size()), const_cast<char*>(text.data())};
}

// A handler that throws must not unwind through libSM's C frames, and the
// session must still get its answer.
template <typename Call>
void Guarded(const char* what, Call call)
{
    GuardedCall(call, [what](const char* error) {
        if (error)
            qWarning("Session end (%s) failed: %s", what, error);
        else
            qWarning("Session end (%s) failed", what);
    });
}

} // namespace

// libSM calls plain functions; these hand each message to its client.
struct XsmpClient::Callbacks {
    static void SaveYourself(SmcConn, SmPointer client, int, Bool shutdown, int, Bool)
    {
        static_cast<XsmpClient*>(client)->OnSaveYourself(shutdown != False);
    }
    static void Die(SmcConn, SmPointer client) { static_cast<XsmpClient*>(client)->OnDie(); }
    static void ShutdownCancelled(SmcConn, SmPointer client)
    {
        static_cast<XsmpClient*>(client)->OnShutdownCancelled();
    }
    static void SaveComplete(SmcConn, SmPointer) {}

    // The library's own handlers end the process on a broken or confused
    // connection; here such a connection is only dropped.
    static void IoError(IceConn) {}
    static void SmError(SmcConn connection, Bool, int minor, unsigned long, int errorClass, int severity, SmPointer)
    {
        qWarning("Session manager reported error %d for request %d", errorClass, minor);
        if (severity == IceCanContinue)
            return;
        for (XsmpClient* client : LiveClients())
            if (client->connection_ == connection)
                client->closeRequested_ = true;
    }
    static void IceError(IceConn connection, Bool, int minor, unsigned long, int errorClass, int severity, IcePointer)
    {
        qWarning("ICE error %d for request %d", errorClass, minor);
        if (severity == IceCanContinue)
            return;
        for (XsmpClient* client : LiveClients())
            if (client->connection_ && SmcGetIceConnection(client->connection_) == connection)
                client->closeRequested_ = true;
    }
};

std::string TakeSessionManagerAddress()
{
    const char* value = std::getenv(kVariable);
    std::string address = value ? value : "";
    unsetenv(kVariable);
    return address;
}

void RestoreSessionManagerAddress(const std::string& address)
{
    if (!address.empty())
        qputenv(kVariable, QByteArray::fromStdString(address));
}

XsmpClient::XsmpClient(SessionEndHandler& handler, const std::string& address, std::function<void()> quit,
                       QObject* parent)
    : QObject(parent), handler_(handler), quit_(std::move(quit))
{
    if (!quit_)
        quit_ = [] { QCoreApplication::quit(); };
    LiveClients().push_back(this);
    if (!address.empty())
        Open(address);
}

XsmpClient::~XsmpClient()
{
    // Leaving while the session goes on: the manager learns that the client
    // is gone rather than finding a dead connection.
    Close();
    auto& clients = LiveClients();
    clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
}

void XsmpClient::Open(const std::string& address)
{
    static const bool handlersSet = [] {
        IceSetIOErrorHandler(&Callbacks::IoError);
        IceSetErrorHandler(&Callbacks::IceError);
        SmcSetErrorHandler(&Callbacks::SmError);
        return true;
    }();
    (void)handlersSet;

    SmcCallbacks callbacks{};
    callbacks.save_yourself.callback = &Callbacks::SaveYourself;
    callbacks.save_yourself.client_data = this;
    callbacks.die.callback = &Callbacks::Die;
    callbacks.die.client_data = this;
    callbacks.save_complete.callback = &Callbacks::SaveComplete;
    callbacks.save_complete.client_data = this;
    callbacks.shutdown_cancelled.callback = &Callbacks::ShutdownCancelled;
    callbacks.shutdown_cancelled.client_data = this;
    const unsigned long mask =
        SmcSaveYourselfProcMask | SmcDieProcMask | SmcSaveCompleteProcMask | SmcShutdownCancelledProcMask;

    std::string ids = address;  // libSM wants a writable string
    char* clientId = nullptr;
    char error[256] = {};
    SigpipeHold hold;
    connection_ = SmcOpenConnection(ids.data(), nullptr, SmProtoMajor, SmProtoMinor, mask, &callbacks, nullptr,
                                    &clientId, sizeof error, error);
    if (!connection_) {
        error_ = error[0] ? error : "cannot connect to the session manager";
        qWarning("Session management unavailable: %s", error_.c_str());
        free(clientId);
        return;
    }
    clientId_ = clientId ? clientId : "";
    free(clientId);
    SetProperties();

    notifier_ = new QSocketNotifier(IceConnectionNumber(SmcGetIceConnection(connection_)), QSocketNotifier::Read,
                                    this);
    connect(notifier_, &QSocketNotifier::activated, this, &XsmpClient::OnReadable);
}

// The properties every XSMP client must set, and the restart hint.
void XsmpClient::SetProperties()
{
    std::string program = ProgramFile();
    if (program.empty())
        program = "pelorin";
    const std::string user = UserName();
    SetProperty(connection_, SmProgram, SmARRAY8, {TextValue(program)});
    SetProperty(connection_, SmUserID, SmARRAY8, {TextValue(user)});
    SetProperty(connection_, SmRestartCommand, SmLISTofARRAY8, {TextValue(program)});
    SetProperty(connection_, SmCloneCommand, SmLISTofARRAY8, {TextValue(program)});
    char never = SmRestartNever;
    SetProperty(connection_, SmRestartStyleHint, SmCARD8, {SmPropValue{1, &never}});
}

void XsmpClient::OnReadable()
{
    if (!connection_)
        return;
    // A handler may run a nested event loop; the connection must not be read
    // again while libSM is still inside the current message.
    notifier_->setEnabled(false);
    IceProcessMessagesStatus status;
    {
        SigpipeHold hold;
        status = IceProcessMessages(SmcGetIceConnection(connection_), nullptr, nullptr);
    }
    if (status == IceProcessMessagesConnectionClosed) {
        // libICE has already freed the connection under libSM's record; only
        // the record is left, and it cannot be closed any more.
        connection_ = nullptr;
        notifier_->deleteLater();
        notifier_ = nullptr;
        return;
    }
    if (status == IceProcessMessagesIOError || closeRequested_) {
        Close();
        return;
    }
    notifier_->setEnabled(true);
}

void XsmpClient::Close()
{
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (connection_) {
        SigpipeHold hold;
        SmcCloseConnection(connection_, 0, nullptr);
        connection_ = nullptr;
    }
    clientId_.clear();
    closeRequested_ = false;
}

void XsmpClient::OnSaveYourself(bool shutdown)
{
    if (shutdown) {
        shutdownPending_ = true;
        Guarded("query", [this] { handler_.QueryEndSession(); });
    }
    // The monitor never holds the session up: its state is saved when the
    // session really ends, so a checkpoint needs nothing of it.
    SmcSaveYourselfDone(connection_, True);
}

void XsmpClient::OnDie()
{
    shutdownPending_ = false;
    Guarded("end", [this] { handler_.EndSession(true); });
    closeRequested_ = true;
    quit_();
}

void XsmpClient::OnShutdownCancelled()
{
    // Only a shutdown this client answered can be cancelled for it.
    if (!shutdownPending_)
        return;
    shutdownPending_ = false;
    Guarded("cancel", [this] { handler_.EndSession(false); });
}
