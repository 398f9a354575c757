// SPDX-License-Identifier: MIT
// The three ways the end of a session reaches the monitor: the X session
// manager (played by the test manager xsmp_manager), SIGTERM and SIGHUP, and
// the save that runs at exit when the X connection breaks.
#include "platform/SessionEndHandler.h"
#include "platform/qt/LastChanceSave.h"
#include "platform/qt/TerminationWatcher.h"
#include "platform/x11/XsmpClient.h"
#include "shared/ProgramPath.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWaitMs = 15000;  // above the manager's own 10 s per command

// What the window would be told, in order.
class RecordingHandler : public SessionEndHandler {
public:
    void QueryEndSession() override
    {
        calls.push_back("query");
        if (failQuery)
            throw std::runtime_error("autostart folder not writable");
    }
    void EndSession(bool ending) override { calls.push_back(ending ? "end" : "cancelled"); }

    std::vector<std::string> calls;
    bool failQuery = false;
};

// xsmp_manager as a child process, driven a line at a time. Every wait keeps
// the event loop running, so the client under test answers meanwhile.
class TestManager {
public:
    explicit TestManager(const QString& program)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, {});
    }
    ~TestManager()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.write("quit\n");
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }
    TestManager(const TestManager&) = delete;
    TestManager& operator=(const TestManager&) = delete;

    // The address from the manager's first line; empty when it did not start.
    std::string Address()
    {
        if (!process_.waitForStarted(5000))
            return {};
        std::string line;
        return NextLine(line) ? line : std::string();
    }

    // Sends a command; returns its last line ("done ...", "timeout") and
    // keeps the lines before it in output.
    std::string Command(const std::string& command)
    {
        output.clear();
        process_.write((command + "\n").c_str());
        std::string line;
        while (NextLine(line)) {
            if (line.rfind("done", 0) == 0 || line == "timeout" || line.rfind("unknown", 0) == 0)
                return line;
            output.push_back(line);
        }
        return "no answer";
    }

    // Ends the manager without a goodbye to its clients.
    void Terminate()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    std::vector<std::string> output;

private:
    bool NextLine(std::string& line)
    {
        (void)QTest::qWaitFor([this] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; },
                              kWaitMs);
        if (!process_.canReadLine())
            return false;
        line = process_.readLine().trimmed().toStdString();
        return true;
    }

    QProcess process_;
};

// The test manager: PELORIN_XSMP_MANAGER when set, else the one built with
// these tests.
QString ManagerProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("PELORIN_XSMP_MANAGER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#ifdef PELORIN_XSMP_MANAGER_PATH
    return QStringLiteral(PELORIN_XSMP_MANAGER_PATH);
#else
    return {};
#endif
}

class SessionManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString program = ManagerProgram();
        if (!QFileInfo(program).isExecutable())
            GTEST_SKIP() << "no xsmp_manager: build it, or set PELORIN_XSMP_MANAGER to its path";
        manager_ = std::make_unique<TestManager>(program);
        address_ = manager_->Address();
        ASSERT_FALSE(address_.empty()) << "xsmp_manager did not start";
    }

    std::unique_ptr<XsmpClient> Connect()
    {
        auto client = std::make_unique<XsmpClient>(handler_, address_, [this] { ++quits_; });
        EXPECT_TRUE(client->IsConnected()) << client->Error();
        return client;
    }

    std::unique_ptr<TestManager> manager_;
    std::string address_;
    RecordingHandler handler_;
    int quits_ = 0;
};

} // namespace

// ---- The session manager's messages, a sequence of commands per row.

struct ManagerCase {
    const char* name;
    std::vector<std::string> commands;
    std::vector<std::string> calls;
    int quits;
    bool connectedAfter;
};

class SessionManagerEnd : public SessionManagerTest, public ::testing::WithParamInterface<ManagerCase> {};

TEST_P(SessionManagerEnd, TellsTheWindowInOrder)
{
    const ManagerCase& row = GetParam();
    auto client = Connect();
    for (const std::string& command : row.commands)
        ASSERT_EQ(manager_->Command(command), "done " + command);
    // The manager's last message (Die, ShutdownCancelled) may still be on
    // its way when it reports the step done.
    (void)QTest::qWaitFor([&] { return handler_.calls.size() >= row.calls.size() && quits_ >= row.quits; },
                          kWaitMs);
    EXPECT_EQ(handler_.calls, row.calls);
    EXPECT_EQ(quits_, row.quits);
    EXPECT_EQ(client->IsConnected(), row.connectedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    SessionEnd, SessionManagerEnd,
    ::testing::Values(
        // "done shutdown" also means the client closed its connection after Die.
        ManagerCase{"Shutdown", {"shutdown"}, {"query", "end"}, 1, false},
        ManagerCase{"Cancelled", {"cancel"}, {"query", "cancelled"}, 0, true},
        ManagerCase{"CancelledThenShutdown", {"cancel", "shutdown"}, {"query", "cancelled", "query", "end"}, 1,
                    false},
        // A checkpoint is no end: no autostart entry, and its SaveComplete no
        // EndSession ahead of the cancelled shutdown's calls.
        ManagerCase{"CheckpointThenCancelled", {"checkpoint", "cancel"}, {"query", "cancelled"}, 0, true}),
    [](const ::testing::TestParamInfo<ManagerCase>& info) { return std::string(info.param.name); });

TEST_F(SessionManagerTest, AFailedAutostartEntryStillLetsTheSessionEnd)
{
    handler_.failQuery = true;
    auto client = Connect();
    ASSERT_EQ(manager_->Command("shutdown"), "done shutdown");
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits_ > 0; }, kWaitMs));
    EXPECT_EQ(handler_.calls, (std::vector<std::string>{"query", "end"}));
    EXPECT_EQ(quits_, 1);
}

TEST_F(SessionManagerTest, RegistersWithTheRequiredPropertiesAndNoRestart)
{
    auto client = Connect();
    ASSERT_FALSE(client->ClientId().empty());
    ASSERT_EQ(manager_->Command("props"), "done props");

    std::map<std::string, std::string> props;
    for (const std::string& line : manager_->output) {
        std::istringstream in(line);
        std::string word, id, name, value;
        in >> word >> id >> name;
        std::getline(in >> std::ws, value);
        if (word == "prop" && id == client->ClientId())
            props[name] = value;
    }
    EXPECT_EQ(props["Program"], ProgramFile());
    EXPECT_EQ(props["RestartCommand"], ProgramFile());
    EXPECT_EQ(props["CloneCommand"], ProgramFile());
    EXPECT_FALSE(props["UserID"].empty());
    EXPECT_EQ(props["RestartStyleHint"], "3");  // SmRestartNever: the autostart entry brings it back
}

TEST_F(SessionManagerTest, ClosingTheClientLeavesTheSession)
{
    auto client = Connect();
    ASSERT_EQ(manager_->Command("clients"), "done clients 1");
    client.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return manager_->Command("clients") == "done clients 0"; }, kWaitMs));
    EXPECT_TRUE(handler_.calls.empty());
}

TEST_F(SessionManagerTest, AManagerThatVanishesIsDroppedQuietly)
{
    auto client = Connect();
    manager_->Terminate();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !client->IsConnected(); }, kWaitMs));
    EXPECT_TRUE(handler_.calls.empty());
    EXPECT_EQ(quits_, 0);
}

TEST(SessionManagerAddress, NoOrBadAddressLeavesTheClientUnconnected)
{
    struct Row {
        const char* address;
        bool expectError;
    };
    for (const Row& row : {Row{"", false}, Row{"local/nohost:/nonexistent/pelorin-no-manager", true}}) {
        SCOPED_TRACE(row.address);
        RecordingHandler handler;
        XsmpClient client(handler, row.address, [] {});
        EXPECT_FALSE(client.IsConnected());
        EXPECT_EQ(!client.Error().empty(), row.expectError);
    }
}

TEST(SessionManagerAddress, TakenFromTheEnvironmentAndPutBack)
{
    const char* original = std::getenv("SESSION_MANAGER");
    const std::string saved = original ? original : "";
    const std::string address = "local/host:@/tmp/.ICE-unix/4242,unix/host:/tmp/.ICE-unix/4242";

    setenv("SESSION_MANAGER", address.c_str(), 1);
    EXPECT_EQ(TakeSessionManagerAddress(), address);
    EXPECT_EQ(std::getenv("SESSION_MANAGER"), nullptr);
    EXPECT_EQ(TakeSessionManagerAddress(), "");

    RestoreSessionManagerAddress("");
    EXPECT_EQ(std::getenv("SESSION_MANAGER"), nullptr);
    RestoreSessionManagerAddress(address);
    ASSERT_NE(std::getenv("SESSION_MANAGER"), nullptr);
    EXPECT_EQ(std::string(std::getenv("SESSION_MANAGER")), address);

    if (saved.empty())
        unsetenv("SESSION_MANAGER");
    else
        setenv("SESSION_MANAGER", saved.c_str(), 1);
}

// ---- SIGTERM and SIGHUP.

class TerminationSignal : public ::testing::TestWithParam<int> {};

TEST_P(TerminationSignal, EndsTheSessionOnceAndRestoresTheHandler)
{
    const int signal = GetParam();
    struct sigaction before {};
    sigaction(signal, nullptr, &before);
    {
        RecordingHandler handler;
        int quits = 0;
        TerminationWatcher watcher(handler, [&quits] { ++quits; });
        // Two signals before the event loop runs are one end of the session.
        raise(signal);
        raise(signal);
        EXPECT_TRUE(QTest::qWaitFor([&quits] { return quits > 0; }, kWaitMs));
        EXPECT_EQ(handler.calls, (std::vector<std::string>{"query", "end"}));
        EXPECT_EQ(quits, 1);
    }
    struct sigaction after {};
    sigaction(signal, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

INSTANTIATE_TEST_SUITE_P(Termination, TerminationSignal, ::testing::Values(SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGHUP");
                         });

TEST(TerminationWatcher, AFailedAutostartEntryStillSavesAndQuits)
{
    RecordingHandler handler;
    handler.failQuery = true;
    int quits = 0;
    TerminationWatcher watcher(handler, [&quits] { ++quits; });
    raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&quits] { return quits > 0; }, kWaitMs));
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"query", "end"}));
}

TEST(TerminationWatcher, OnlyOneAtATime)
{
    RecordingHandler handler;
    TerminationWatcher first(handler, [] {});
    EXPECT_THROW(TerminationWatcher second(handler, [] {}), std::logic_error);
}

// ---- The save at exit, in a child process that exits as Qt does when the
// X connection breaks.

struct LastChanceCase {
    const char* name;
    std::vector<std::string> steps;  // "set:<tag>", "throw", "disarm"
    std::string written;             // what the marker file holds afterwards
};

class LastChanceSaveAtExit : public ::testing::TestWithParam<LastChanceCase> {};

TEST_P(LastChanceSaveAtExit, RunsOnceUnlessDisarmed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string marker = dir.filePath(QStringLiteral("marker")).toStdString();
    const LastChanceCase& row = GetParam();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (const std::string& step : row.steps) {
            if (step == "disarm") {
                DisarmLastChanceSave();
            } else if (step == "throw") {
                SetLastChanceSave([] { throw std::runtime_error("disk full"); });
            } else {
                const std::string tag = step.substr(4);
                SetLastChanceSave([marker, tag] { std::ofstream(marker, std::ios::app) << tag; });
            }
        }
        std::exit(1);
    }

    int status = 0;
    const bool ended = QTest::qWaitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, kWaitMs);
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the child did not exit";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(marker);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, row.written);
}

INSTANTIATE_TEST_SUITE_P(
    LastChance, LastChanceSaveAtExit,
    ::testing::Values(LastChanceCase{"Armed", {"set:a"}, "a"},
                      LastChanceCase{"Disarmed", {"set:a", "disarm"}, ""},
                      LastChanceCase{"LatestFunctionWins", {"set:a", "set:b"}, "b"},
                      LastChanceCase{"ArmedAgainAfterDisarm", {"set:a", "disarm", "set:b"}, "b"},
                      // The exit status stays the one the program chose.
                      LastChanceCase{"ThrowingSaveKeepsTheExit", {"throw"}, ""}),
    [](const ::testing::TestParamInfo<LastChanceCase>& info) { return std::string(info.param.name); });
