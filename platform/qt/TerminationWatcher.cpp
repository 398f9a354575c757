// SPDX-License-Identifier: MIT
#include "platform/qt/TerminationWatcher.h"

#include "platform/SessionEndHandler.h"
#include "shared/GuardedCall.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QtGlobal>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <exception>
#include <stdexcept>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::array<int, 2> kSignals = {SIGTERM, SIGHUP};

// The write end the signal handler uses; -1 while no watcher is alive.
std::atomic<int> g_wakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free fd");

struct sigaction g_previous[kSignals.size()];

extern "C" void WakeOnSignal(int)
{
    const int savedErrno = errno;
    const int fd = g_wakeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up; losing this byte loses nothing.
        [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
    }
    errno = savedErrno;
}

template <typename Call>
void Guarded(Call call)
{
    GuardedCall(call, [](const char* error) {
        if (error)
            qWarning("Session end on a signal failed: %s", error);
        else
            qWarning("Session end on a signal failed");
    });
}

void RestoreHandlers(std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

} // namespace

TerminationWatcher::TerminationWatcher(SessionEndHandler& handler, std::function<void()> quit, QObject* parent)
    : QObject(parent), handler_(handler), quit_(std::move(quit))
{
    if (!quit_)
        quit_ = [] { QCoreApplication::quit(); };
    if (g_wakeFd.load() >= 0)
        throw std::logic_error("a TerminationWatcher is already installed");
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0)
        throw std::system_error(errno, std::generic_category(), "socketpair");
    g_wakeFd.store(fds_[1]);

    struct sigaction action {};
    action.sa_handler = &WakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (sigaction(kSignals[i], &action, &g_previous[i]) != 0) {
            const int error = errno;
            RestoreHandlers(i);
            g_wakeFd.store(-1);
            close(fds_[0]);
            close(fds_[1]);
            throw std::system_error(error, std::generic_category(), "sigaction");
        }
    }

    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::OnSignal);
}

TerminationWatcher::~TerminationWatcher()
{
    RestoreHandlers(kSignals.size());
    g_wakeFd.store(-1);
    delete notifier_;
    close(fds_[0]);
    close(fds_[1]);
}

void TerminationWatcher::OnSignal()
{
    char buffer[64];
    while (read(fds_[0], buffer, sizeof buffer) > 0) {
    }
    if (handled_)
        return;
    handled_ = true;
    // A failed autostart entry must not cost the save, nor a failed save the quit.
    Guarded([this] { handler_.QueryEndSession(); });
    Guarded([this] { handler_.EndSession(true); });
    quit_();
}
