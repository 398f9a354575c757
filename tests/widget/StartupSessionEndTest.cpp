// SPDX-License-Identifier: MIT
// The end of the session while start-up still runs: the window can answer it
// from the moment its settings are loaded, before any message for a bad
// option opens, and the rest of the start-up keeps what the end left.
#include "FormFixture.h"

#include "../unit/RecordingMessageBox.h"
#include "../unit/ScopedEnv.h"
#include "platform/RegTree.h"
#include "settings/SettingsRegistry.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Ends the session from inside the first message box, as a signal handled in
// the message's own event loop would; records the order of events.
class EndingMessageBox : public RecordingMessageBox {
public:
    int Show(const std::string& text, const std::string& caption, int flags) override
    {
        events.push_back("message");
        if (form && !ended) {
            ended = true;
            form->QueryEndSession();
            form->EndSession(true);
        }
        return RecordingMessageBox::Show(text, caption, flags);
    }

    TFormPLN* form = nullptr;
    bool ended = false;
    std::vector<std::string> events;
};

class StartupSessionEnd : public FormFixture {
protected:
    TFormPLN& CreateEndingDuringMessage(std::vector<std::string> args)
    {
        const auto loaded = [this](TFormPLN& window) {
            messages.events.push_back("settings loaded");
            messages.form = &window;
        };
        services = std::make_unique<TFormServices>(TFormServices{
            memory, store, windows, lock, shortcut, std::move(args), dir.path().toStdString(), launcher, loaded});
        form = std::make_unique<TFormPLN>(*services);
        return *form;
    }

    ScopedEnv config{"XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit().constData()};
    EndingMessageBox messages;
};

} // namespace

TEST_F(StartupSessionEnd, AnsweredDuringAStartupMessageAndKeptByTheRestOfTheStart)
{
    // Nothing stored: only the end of the session writes the settings.
    // "/SDR" after the bad option would otherwise remove the entry.
    CreateEndingDuringMessage({"M", "/SDR", "/X"});

    ASSERT_GE(messages.events.size(), 2u);
    EXPECT_EQ(messages.events[0], "settings loaded");
    EXPECT_EQ(messages.events[1], "message");
    EXPECT_TRUE(messages.ended);
    ASSERT_FALSE(shortcut.calls.empty()) << "no entry was written at the end of the session";
    EXPECT_NE(shortcut.calls.back(), "remove") << "the entry written at the end was removed again";
    EXPECT_EQ(store.Load().ReadInteger("\\Software\\KORVAL\\Pelorin\\Pref", "UpdateInterval"),
              TCustomSet{}.UpdateInterval);
}

TEST_F(StartupSessionEnd, ASecondCopyIsNeverAskedToAnswer)
{
    InstanceLock other(dir.filePath("PelorinMutex").toStdString());
    ASSERT_TRUE(other.TryAcquire());
    TFormPLN& w = CreateEndingDuringMessage({"M"});
    EXPECT_TRUE(w.IsSecondCopy());
    EXPECT_TRUE(messages.events.empty());
}
