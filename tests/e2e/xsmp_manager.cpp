// SPDX-License-Identifier: MIT
// A small X session manager for the tests: it lets clients register over a
// local ICE socket and plays the end of a session on command.
//
// The first line on stdout is the address to put into SESSION_MANAGER. Then
// it reads one command a line on stdin and answers each with a last line
// "done <command>" or "timeout" (after 10 s):
//   shutdown    SaveYourself(shutdown) to every client, wait for all to be
//               done, then Die, and wait until they have closed
//   cancel      SaveYourself(shutdown), wait for all, then ShutdownCancelled
//   checkpoint  SaveYourself without shutdown, wait for all, then SaveComplete
//   clients     "done clients N": how many clients are registered
//   props       "prop <client> <name> <value>" a line for every property set,
//               then "done props"
//   quit        "done quit", then exit (end of input does the same)
// SIGTERM, SIGINT and SIGHUP end it at once, without a word to the clients.
//
// Only local sockets are offered, and only the same user may connect: no
// ICE authentication is set up, so a peer is checked by its credentials.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kCommandLimit = std::chrono::seconds(10);

struct Client {
    IceConn ice = nullptr;
    SmsConn sms = nullptr;
    bool registered = false;
    bool saveDone = false;
    bool gone = false;
    std::string id;
    std::map<std::string, std::string> properties;
};

std::vector<std::unique_ptr<Client>> g_clients;
std::vector<IceListenObj> g_listeners;
// The listening socket's file, removed when the manager is killed: clients
// then see their connections break, and no stale socket is left behind.
char g_socketFile[128] = {};

extern "C" void OnTerminate(int)
{
    if (g_socketFile[0])
        unlink(g_socketFile);
    _exit(0);
}

Client* FindByIce(IceConn ice)
{
    for (auto& client : g_clients)
        if (client->ice == ice)
            return client.get();
    return nullptr;
}

// Clients are told apart by their credentials instead of ICE cookies.
Bool AcceptHost(char*)
{
    return True;
}

bool SameUser(IceConn ice)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(IceConnectionNumber(ice), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == getuid();
}

// libICE ends the process on an I/O error unless told otherwise; a client
// that vanishes is handled where IceProcessMessages reports it.
void IgnoreIoError(IceConn) {}

void Drop(Client& client)
{
    if (client.gone)
        return;
    client.gone = true;
    if (client.sms)
        SmsCleanUp(client.sms);
    client.sms = nullptr;
    IceSetShutdownNegotiation(client.ice, False);
    IceCloseConnection(client.ice);
}

std::string PropertyText(const SmProp& prop)
{
    if (std::strcmp(prop.type, SmCARD8) == 0 && prop.num_vals == 1 && prop.vals[0].length >= 1)
        return std::to_string(static_cast<unsigned char>(*static_cast<char*>(prop.vals[0].value)));
    std::string text;
    for (int i = 0; i < prop.num_vals; ++i) {
        if (i)
            text += ' ';
        text.append(static_cast<char*>(prop.vals[i].value), prop.vals[i].length);
    }
    return text;
}

// ---- XSMP callbacks: manager_data is the Client.

Status RegisterClient(SmsConn sms, SmPointer data, char* previousId)
{
    auto* client = static_cast<Client*>(data);
    char* id = previousId ? previousId : SmsGenerateClientID(sms);
    std::string fallback = "1pelorintest" + std::to_string(getpid()) + "_" + std::to_string(g_clients.size());
    client->id = id ? id : fallback;
    SmsRegisterClientReply(sms, client->id.data());
    free(id);
    client->registered = true;
    return 1;
}

void InteractRequest(SmsConn sms, SmPointer, int)
{
    SmsInteract(sms);
}

void InteractDone(SmsConn, SmPointer, Bool) {}

void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void SaveYourselfPhase2Request(SmsConn sms, SmPointer)
{
    SmsSaveYourselfPhase2(sms);
}

void SaveYourselfDone(SmsConn, SmPointer data, Bool)
{
    static_cast<Client*>(data)->saveDone = true;
}

void CloseConnection(SmsConn, SmPointer data, int count, char** reasons)
{
    SmFreeReasons(count, reasons);
    Drop(*static_cast<Client*>(data));
}

void SetProperties(SmsConn, SmPointer data, int count, SmProp** props)
{
    auto* client = static_cast<Client*>(data);
    for (int i = 0; i < count; ++i) {
        client->properties[props[i]->name] = PropertyText(*props[i]);
        SmFreeProperty(props[i]);
    }
    free(props);
}

void DeleteProperties(SmsConn, SmPointer data, int count, char** names)
{
    auto* client = static_cast<Client*>(data);
    for (int i = 0; i < count; ++i) {
        client->properties.erase(names[i]);
        free(names[i]);
    }
    free(names);
}

void GetProperties(SmsConn sms, SmPointer)
{
    SmsReturnProperties(sms, 0, nullptr);
}

Status NewClient(SmsConn sms, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char** failure)
{
    Client* client = FindByIce(SmsGetIceConnection(sms));
    if (!client) {
        *failure = strdup("unknown connection");
        return 0;
    }
    client->sms = sms;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    *callbacks = SmsCallbacks{};
    callbacks->register_client = {RegisterClient, client};
    callbacks->interact_request = {InteractRequest, client};
    callbacks->interact_done = {InteractDone, client};
    callbacks->save_yourself_request = {SaveYourselfRequest, client};
    callbacks->save_yourself_phase2_request = {SaveYourselfPhase2Request, client};
    callbacks->save_yourself_done = {SaveYourselfDone, client};
    callbacks->close_connection = {CloseConnection, client};
    callbacks->set_properties = {SetProperties, client};
    callbacks->delete_properties = {DeleteProperties, client};
    callbacks->get_properties = {GetProperties, client};
    return 1;
}

// ---- The event loop.

void Accept(IceListenObj listener)
{
    IceAcceptStatus status;
    IceConn ice = IceAcceptConnection(listener, &status);
    if (!ice || status != IceAcceptSuccess)
        return;
    if (!SameUser(ice)) {
        IceSetShutdownNegotiation(ice, False);
        IceCloseConnection(ice);
        return;
    }
    auto client = std::make_unique<Client>();
    client->ice = ice;
    g_clients.push_back(std::move(client));
}

void Process(Client& client)
{
    const IceProcessMessagesStatus status = IceProcessMessages(client.ice, nullptr, nullptr);
    if (status == IceProcessMessagesConnectionClosed) {
        client.gone = true;  // libICE freed it after CloseConnection
        return;
    }
    const IceConnectStatus connect = IceConnectionStatus(client.ice);
    if (status == IceProcessMessagesIOError || connect == IceConnectRejected || connect == IceConnectIOError)
        Drop(client);
}

// Waits up to timeoutMs for traffic and handles one message a connection.
// Returns whether any connection had traffic; inputReady (when given) says
// whether stdin is readable, which is left for the caller to read.
bool Pump(int timeoutMs, bool* inputReady = nullptr)
{
    const bool watchInput = inputReady != nullptr;
    std::vector<pollfd> fds;
    if (watchInput)
        fds.push_back({STDIN_FILENO, POLLIN, 0});
    const std::size_t firstListener = fds.size();
    for (IceListenObj listener : g_listeners)
        fds.push_back({IceGetListenConnectionNumber(listener), POLLIN, 0});
    const std::size_t firstClient = fds.size();
    std::vector<Client*> watched;
    for (auto& client : g_clients) {
        fds.push_back({IceConnectionNumber(client->ice), POLLIN, 0});
        watched.push_back(client.get());
    }
    if (watchInput)
        *inputReady = false;
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0)
        return false;
    bool traffic = false;
    for (std::size_t i = 0; i < g_listeners.size(); ++i)
        if (fds[firstListener + i].revents & POLLIN) {
            Accept(g_listeners[i]);
            traffic = true;
        }
    for (std::size_t i = 0; i < watched.size(); ++i)
        if (fds[firstClient + i].revents & (POLLIN | POLLHUP | POLLERR)) {
            Process(*watched[i]);
            traffic = true;
        }
    g_clients.erase(std::remove_if(g_clients.begin(), g_clients.end(), [](const auto& c) { return c->gone; }),
                    g_clients.end());
    if (watchInput)
        *inputReady = (fds[0].revents & (POLLIN | POLLHUP)) != 0;
    return traffic;
}

// Handles everything the clients have already sent, so that a command sees
// the state they reached before it was typed.
void Settle()
{
    while (Pump(0)) {
    }
}

bool PumpUntil(Clock::time_point deadline, const std::function<bool()>& done)
{
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        Pump(static_cast<int>(std::min<long long>(left, 100)));
    }
    return true;
}

std::vector<Client*> Registered()
{
    std::vector<Client*> list;
    for (auto& client : g_clients)
        if (client->registered && !client->gone)
            list.push_back(client.get());
    return list;
}

// Asks every registered client to save; true once all have answered.
bool SaveAll(bool shutdown, const std::vector<Client*>& clients, Clock::time_point deadline)
{
    for (Client* client : clients) {
        client->saveDone = false;
        SmsSaveYourself(client->sms, SmSaveLocal, shutdown ? True : False, SmInteractStyleNone, False);
    }
    return PumpUntil(deadline, [&clients] {
        return std::all_of(clients.begin(), clients.end(), [](Client* c) { return c->saveDone || c->gone; });
    });
}

bool StillHere(const Client* client)
{
    return std::any_of(g_clients.begin(), g_clients.end(), [client](const auto& c) { return c.get() == client; });
}

bool RunCommand(const std::string& command)
{
    const auto deadline = Clock::now() + kCommandLimit;
    const std::vector<Client*> clients = Registered();
    bool finished = true;
    if (command == "shutdown" || command == "cancel" || command == "checkpoint") {
        finished = SaveAll(command != "checkpoint", clients, deadline);
        if (finished) {
            for (Client* client : clients) {
                if (!StillHere(client) || client->gone)
                    continue;
                if (command == "shutdown")
                    SmsDie(client->sms);
                else if (command == "cancel")
                    SmsShutdownCancelled(client->sms);
                else
                    SmsSaveComplete(client->sms);
            }
            if (command == "shutdown")
                finished = PumpUntil(deadline, [&clients] {
                    return std::none_of(clients.begin(), clients.end(), StillHere);
                });
        }
    } else if (command == "clients") {
        std::cout << "done clients " << clients.size() << std::endl;
        return true;
    } else if (command == "props") {
        for (Client* client : clients)
            for (const auto& [name, value] : client->properties)
                std::cout << "prop " << client->id << ' ' << name << ' ' << value << '\n';
    } else if (command == "quit") {
        std::cout << "done quit" << std::endl;
        return false;
    } else {
        std::cout << "unknown " << command << std::endl;
        return true;
    }
    std::cout << (finished ? "done " + command : std::string("timeout")) << std::endl;
    return true;
}

// Local sockets only: a TCP listener would let other hosts try their luck.
bool Listen()
{
    int count = 0;
    IceListenObj* all = nullptr;
    char error[256] = {};
    if (!IceListenForConnections(&count, &all, sizeof error, error)) {
        std::cerr << "xsmp_manager: cannot listen: " << error << std::endl;
        return false;
    }
    std::vector<IceListenObj> others;
    for (int i = 0; i < count; ++i) {
        char* name = IceGetListenConnectionString(all[i]);
        const bool local = name && (std::strncmp(name, "local/", 6) == 0 || std::strncmp(name, "unix/", 5) == 0);
        // "unix/host:/tmp/.ICE-unix/PID" names a file; "local/host:@..." an
        // abstract socket, which goes with the process.
        const char* path = name ? std::strchr(name, ':') : nullptr;
        if (path && path[1] == '/' && std::strlen(path + 1) < sizeof g_socketFile)
            std::strcpy(g_socketFile, path + 1);
        free(name);
        (local ? g_listeners : others).push_back(all[i]);
    }
    // IceFreeListenObjs frees the array it is given as well: hand it a copy.
    auto freeCopy = [](const std::vector<IceListenObj>& list) {
        if (list.empty())
            return;
        auto* copy = static_cast<IceListenObj*>(malloc(list.size() * sizeof(IceListenObj)));
        std::copy(list.begin(), list.end(), copy);
        IceFreeListenObjs(static_cast<int>(list.size()), copy);
    };
    freeCopy(others);
    free(all);
    if (g_listeners.empty()) {
        std::cerr << "xsmp_manager: no local transport" << std::endl;
        return false;
    }
    for (IceListenObj listener : g_listeners)
        IceSetHostBasedAuthProc(listener, AcceptHost);
    return true;
}

} // namespace

int main()
{
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction terminate {};
    terminate.sa_handler = OnTerminate;
    sigemptyset(&terminate.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &terminate, nullptr);
    IceSetIOErrorHandler(IgnoreIoError);
    char error[256] = {};
    if (!SmsInitialize("pelorin-tests", "1.0", NewClient, nullptr, AcceptHost, sizeof error, error)) {
        std::cerr << "xsmp_manager: " << error << std::endl;
        return 1;
    }
    if (!Listen())
        return 1;

    char* address = IceComposeNetworkIdList(static_cast<int>(g_listeners.size()), g_listeners.data());
    std::cout << address << std::endl;
    free(address);

    std::string pending;
    bool running = true;
    while (running) {
        bool inputReady = false;
        Pump(-1, &inputReady);
        if (!inputReady)
            continue;
        Settle();
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while (running && (end = pending.find('\n')) != std::string::npos) {
            std::string command = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!command.empty() && command.back() == '\r')
                command.pop_back();
            if (!command.empty())
                running = RunCommand(command);
        }
    }

    for (auto& client : g_clients)
        Drop(*client);
    g_clients.clear();
    auto* listeners = static_cast<IceListenObj*>(malloc(g_listeners.size() * sizeof(IceListenObj)));
    std::copy(g_listeners.begin(), g_listeners.end(), listeners);
    IceFreeListenObjs(static_cast<int>(g_listeners.size()), listeners);
    return 0;
}
