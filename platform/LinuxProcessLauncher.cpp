// SPDX-License-Identifier: MIT
#include "platform/LinuxProcessLauncher.h"

#include "shared/FileDescriptor.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsExecutableFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// An XDG folder list: the variable's absolute entries, else the default.
std::vector<std::string> FolderList(const char* variable, const std::string& fallback)
{
    std::vector<std::string> folders;
    for (const std::string& folder : Split(Env(variable), ':'))
        if (!folder.empty() && folder.front() == '/')
            folders.push_back(folder);
    if (folders.empty())
        folders = Split(fallback, ':');
    return folders;
}

// A single XDG folder: the variable when absolute, else home + fallback.
std::string Folder(const char* variable, const char* homeRelative)
{
    const std::string value = Env(variable);
    if (!value.empty() && value.front() == '/')
        return value;
    const std::string home = Env("HOME");
    return home.empty() ? std::string() : home + "/" + homeRelative;
}

std::vector<std::string> DataFolders()
{
    std::vector<std::string> folders;
    if (const std::string home = Folder("XDG_DATA_HOME", ".local/share"); !home.empty())
        folders.push_back(home);
    for (const std::string& folder : FolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        folders.push_back(folder);
    return folders;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The first word of an Exec value: a quoted word loses its quotes and the
// backslash escapes inside them.
std::string FirstExecWord(const std::string& exec)
{
    const std::string value = Trim(exec);
    if (value.empty())
        return {};
    if (value.front() != '"')
        return value.substr(0, value.find_first_of(" \t"));
    std::string word;
    for (size_t i = 1; i < value.size(); ++i) {
        if (value[i] == '"')
            return word;
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        word += value[i];
    }
    return {};  // an unclosed quote is no program
}

// Writes the whole buffer, or as much as a closed reader lets through.
void WriteAll(int fd, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

// Reads exactly size bytes; false at end of file or on error first.
bool ReadAll(int fd, void* data, size_t size)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = read(fd, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool MakePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd = FileDescriptor(fds[0]);
    writeEnd = FileDescriptor(fds[1]);
    return true;
}

} // namespace

std::string LinuxProcessLauncher::FindOnPath(const std::string& name) const
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    // An empty or relative entry would be looked up from the current folder:
    // never start a program from wherever the monitor happened to be started.
    const char* path = std::getenv("PATH");
    for (const std::string& folder : Split(path ? path : "/usr/local/bin:/usr/bin:/bin", ':')) {
        if (folder.empty() || folder.front() != '/')
            continue;
        const std::string candidate = folder + "/" + name;
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

std::vector<std::string> LinuxProcessLauncher::DefaultApplications(const std::string& mimeType)
{
    // The lookup order of the XDG MIME applications associations: each
    // folder's desktop-specific list before its plain one, the user's
    // configuration first, then the system's, then the data folders.
    std::vector<std::string> desktops;
    for (std::string desktop : Split(Env("XDG_CURRENT_DESKTOP"), ':')) {
        for (char& c : desktop)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (!desktop.empty())
            desktops.push_back(desktop);
    }
    std::vector<std::string> folders;
    if (const std::string config = Folder("XDG_CONFIG_HOME", ".config"); !config.empty())
        folders.push_back(config);
    for (const std::string& folder : FolderList("XDG_CONFIG_DIRS", "/etc/xdg"))
        folders.push_back(folder);
    for (const std::string& folder : DataFolders())
        folders.push_back(folder + "/applications");

    std::vector<std::string> ids;
    for (const std::string& folder : folders) {
        std::vector<std::string> lists;
        for (const std::string& desktop : desktops)
            lists.push_back(folder + "/" + desktop + "-mimeapps.list");
        lists.push_back(folder + "/mimeapps.list");
        for (const std::string& list : lists) {
            std::ifstream in(list);
            std::string line;
            bool inDefaults = false;
            while (std::getline(in, line)) {
                line = Trim(line);
                if (!line.empty() && line.front() == '[') {
                    inDefaults = line == "[Default Applications]";
                    continue;
                }
                const size_t equals = line.find('=');
                if (!inDefaults || equals == std::string::npos || Trim(line.substr(0, equals)) != mimeType)
                    continue;
                for (const std::string& id : Split(line.substr(equals + 1), ';'))
                    if (!Trim(id).empty())
                        ids.push_back(Trim(id));
            }
        }
    }
    return ids;
}

std::string LinuxProcessLauncher::DesktopEntryProgram(const std::string& desktopId)
{
    if (desktopId.empty() || desktopId.find('/') != std::string::npos)
        return {};
    for (const std::string& folder : DataFolders()) {
        std::ifstream in(folder + "/applications/" + desktopId);
        if (!in)
            continue;
        std::string line;
        bool inEntry = false;
        while (std::getline(in, line)) {
            line = Trim(line);
            if (!line.empty() && line.front() == '[') {
                inEntry = line == "[Desktop Entry]";
                continue;
            }
            if (inEntry && line.starts_with("Exec="))
                return FirstExecWord(line.substr(5));
        }
        return {};  // the first entry of that id hides any later one
    }
    return {};
}

std::string LinuxProcessLauncher::DefaultWebBrowser() const
{
    // $BROWSER is a ":"-separated list of commands, the first that runs wins.
    for (const std::string& command : Split(Env("BROWSER"), ':'))
        if (const std::string found = FindOnPath(FirstExecWord(command)); !found.empty())
            return found;
    for (const std::string& id : DefaultApplications("text/html"))
        if (const std::string found = FindOnPath(DesktopEntryProgram(id)); !found.empty())
            return found;
    return FindOnPath("x-www-browser");
}

LaunchOutcome LinuxProcessLauncher::Start(const std::string& program, const std::vector<std::string>& args,
                                          int waitMs)
{
    // Everything the children need is made before forking: between fork and
    // exec only async-signal-safe calls are allowed in a threaded process.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    FileDescriptor nullInput(open("/dev/null", O_RDONLY | O_CLOEXEC));
    FileDescriptor execRead, execWrite, statusRead, statusWrite;
    if (nullInput.Get() < 0 || !MakePipe(execRead, execWrite) || !MakePipe(statusRead, statusWrite))
        return LaunchOutcome::NotStarted;

    // Three generations: the first child exits at once, so that the program
    // is no child of ours and needs no reaping; the second, in a session of
    // its own, waits for the program and reports its exit status; the third
    // becomes the program, or reports why exec failed.
    const pid_t first = fork();
    if (first < 0)
        return LaunchOutcome::NotStarted;
    if (first == 0) {
        // A session of its own: no terminal signals from ours reach it.
        setsid();
        const pid_t watcher = fork();
        if (watcher != 0)
            _exit(watcher < 0 ? 1 : 0);
        const pid_t child = fork();
        if (child == 0) {
            struct sigaction defaults {};
            defaults.sa_handler = SIG_DFL;
            sigaction(SIGPIPE, &defaults, nullptr);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            dup2(nullInput.Get(), STDIN_FILENO);
            // Descriptors the monitor holds (its lock, its store) must not
            // live on in the browser.
            close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
            execve(program.c_str(), argv.data(), environ);
            const int error = errno;
            WriteAll(execWrite.Get(), &error, sizeof error);
            _exit(127);
        }
        close(execWrite.Get());
        if (child < 0)
            _exit(1);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, nullptr);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        WriteAll(statusWrite.Get(), &status, sizeof status);
        _exit(0);
    }

    execWrite = FileDescriptor();
    statusWrite = FileDescriptor();
    int firstStatus = 0;
    while (waitpid(first, &firstStatus, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(firstStatus) || WEXITSTATUS(firstStatus) != 0)
        return LaunchOutcome::NotStarted;
    // The exec pipe closes without a word when exec succeeded.
    int execError = 0;
    if (ReadAll(execRead.Get(), &execError, sizeof execError))
        return LaunchOutcome::NotStarted;
    if (waitMs <= 0)
        return LaunchOutcome::Running;

    pollfd ready{statusRead.Get(), POLLIN, 0};
    int polled;
    while ((polled = poll(&ready, 1, waitMs)) < 0 && errno == EINTR) {
    }
    int status = 0;
    if (polled <= 0 || !ReadAll(statusRead.Get(), &status, sizeof status))
        return LaunchOutcome::Running;
    return (WIFEXITED(status) && WEXITSTATUS(status) == 0) ? LaunchOutcome::Succeeded : LaunchOutcome::Failed;
}
