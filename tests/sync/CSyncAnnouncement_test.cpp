// The sync service announcement: the reply messages, the silent failure without a
// discovery daemon, and a real registration seen by a browser on a private network.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include <sstream>
#include <string>
#include <vector>

#include "AvahiSandbox.h"
#include "sync/CSyncAnnouncement.h"
#include "sync/ISyncHost.h"

namespace {

struct MessageLog : ISyncHost {
    std::vector<std::pair<QString, QString>> shown;
    void ShowMessage(const QString& text, const QString& caption) override { shown.emplace_back(text, caption); }
};

TEST(CSyncAnnouncement, ReplyMessages) {
    struct Case {
        int code;
        const char* text;  // nullptr: nothing shown
    };
    for (const Case& c : {Case{0, nullptr}, Case{-65548, "Name in use, please choose another"},
                          Case{-65537, "Error!!!"}, Case{-65563, "Error!!!"}}) {
        MessageLog host;
        CSyncAnnouncement::HandleReply(c.code, host);
        if (!c.text) {
            EXPECT_TRUE(host.shown.empty()) << c.code;
        } else {
            ASSERT_EQ(host.shown.size(), 1u) << c.code;
            EXPECT_EQ(host.shown[0].first, c.text);
            EXPECT_EQ(host.shown[0].second, "Registration Error");
        }
    }
}

TEST(CSyncAnnouncement, WithoutADaemonFailsQuietly) {
    // A bus address that leads nowhere stands for a machine without a discovery daemon.
    QTemporaryDir dir;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.filePath("no-bus")).toUtf8());
    MessageLog host;
    CSyncAnnouncement announcement(host);
    EXPECT_FALSE(announcement.Announce(5000));
    EXPECT_FALSE(announcement.IsAnnounced());
    EXPECT_TRUE(host.shown.empty());
    announcement.Withdraw();  // harmless when nothing is registered
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

std::vector<std::string> Split(const std::string& line, char sep) {
    std::vector<std::string> parts;
    std::stringstream in(line);
    std::string part;
    while (std::getline(in, part, sep)) parts.push_back(part);
    if (!line.empty() && line.back() == sep) parts.emplace_back();
    return parts;
}

// The resolved "=" lines of avahi-browse -p for the sync service type.
std::vector<std::vector<std::string>> ResolvedSyncServices(const std::string& browseOutput) {
    std::vector<std::vector<std::string>> found;
    std::stringstream in(browseOutput);
    std::string line;
    while (std::getline(in, line)) {
        auto fields = Split(line, ';');
        if (fields.size() >= 9 && fields[0] == "=" && fields[4] == "_NotesSync._tcp") found.push_back(fields);
    }
    return found;
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

TEST(CSyncAnnouncement, ServiceIsBrowsableWithItsPortUntilWithdrawn) {
    testsupport::AvahiSandbox sandbox;
    std::string why;
    if (!sandbox.Start(&why)) GTEST_SKIP() << "no private discovery daemon: " << why;

    QTemporaryDir dir;
    const QString outPath = dir.filePath("announce.out");
    const int out = ::open(QFile::encodeName(outPath).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int stdinPipe[2];
    ASSERT_EQ(::pipe2(stdinPipe, O_CLOEXEC), 0);
    pid_t tool = testsupport::Spawn(sandbox.InNamespace({ORVELLE_SYNC_ANNOUNCE_TOOL, "--port", "5000"}),
                                    sandbox.ClientEnvironment(), stdinPipe[0], out);
    ::close(stdinPipe[0]);
    ::close(out);
    ASSERT_GT(tool, 0);
    struct Reaper {
        pid_t& pid;
        int& pipeEnd;
        ~Reaper() {
            if (pipeEnd >= 0) ::close(pipeEnd);
            testsupport::Stop(pid);
        }
    } reaper{tool, stdinPipe[1]};

    ASSERT_TRUE(testsupport::AvahiSandbox::WaitFor(
        [&] { return ReadAll(outPath).find("registered") != std::string::npos; }, 10000))
        << ReadAll(outPath);
    EXPECT_EQ(ReadAll(outPath).find("not registered"), std::string::npos) << ReadAll(outPath);
    EXPECT_NE(ReadAll(outPath).find("reply received"), std::string::npos) << ReadAll(outPath);
    EXPECT_EQ(ReadAll(outPath).find("message:"), std::string::npos) << "a clean registration shows nothing";

    std::vector<std::vector<std::string>> services;
    testsupport::AvahiSandbox::WaitFor(
        [&] {
            services = ResolvedSyncServices(sandbox.Exec({"avahi-browse", "-rtp", "_NotesSync._tcp"}).out);
            return !services.empty();
        },
        10000);
    ASSERT_EQ(services.size(), 1u) << sandbox.DaemonLog();
    const auto& s = services[0];
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    EXPECT_EQ(s[1], testsupport::AvahiSandbox::kInterface);
    EXPECT_EQ(s[3], std::string(host)) << "the empty name stands for the computer's name";
    EXPECT_EQ(s[5], "local") << "the default domain";
    EXPECT_EQ(s[7], "10.213.7.1");
    EXPECT_EQ(s[8], "5000");

    // Withdrawal: the tool releases the registration when its input closes.
    ::close(stdinPipe[1]);
    stdinPipe[1] = -1;
    EXPECT_TRUE(testsupport::AvahiSandbox::WaitFor(
        [&] { return ReadAll(outPath).find("withdrawn") != std::string::npos; }, 10000));
    EXPECT_TRUE(testsupport::AvahiSandbox::WaitFor(
        [&] { return ResolvedSyncServices(sandbox.Exec({"avahi-browse", "-rtp", "_NotesSync._tcp"}).out).empty(); },
        10000))
        << "the service is still listed after withdrawal";
}

}  // namespace
