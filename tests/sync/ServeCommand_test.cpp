// `orvelle --serve` as a user runs it: the program under a temporary home, handhelds
// from the simulator over loopback, one line per session on standard output, and a
// clean end on SIGTERM.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <chrono>
#include <thread>

#include "HandheldSimulator.h"
#include "support/TempHome.h"

extern char** environ;

namespace {

#ifdef ORVELLE_PROGRAM

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Serve : public ::testing::Test {
protected:
    void TearDown() override {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    // Starts the program with its output in files; returns the port it serves, 0 if none.
    int Start(std::vector<std::string> args) {
        outPath = home.path() + "/out.txt";
        errPath = home.path() + "/err.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        args.insert(args.begin(), ORVELLE_PROGRAM);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pid <= 0) return 0;
        const QRegularExpression serving("serving syncs on port (\\d+)");
        for (int i = 0; i < 500; ++i) {
            const auto m = serving.match(QString::fromUtf8(ReadAll(errPath)));
            if (m.hasMatch()) return m.captured(1).toInt();
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }
    // Waits for the program to print its n-th session line.
    QStringList Lines(int n) {
        QStringList lines;
        for (int i = 0; i < 1000; ++i) {
            lines = QString::fromUtf8(ReadAll(outPath)).split('\n', Qt::SkipEmptyParts);
            if (lines.size() >= n) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return lines;
    }
    // Sends the signal and waits up to five seconds; the exit status, or -1.
    int StopWith(int signal) {
        ::kill(pid, signal);
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    sim::HandheldOptions Handheld(const QString& id, const QString& name) {
        sim::HandheldOptions o;
        o.deviceId = id;
        o.deviceName = name;
        o.inputFolder = home.path() + "/handheld-" + id;
        QDir().mkpath(o.inputFolder);
        o.timeoutMs = 5000;
        return o;
    }
    static void Put(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    testsupport::TempHome home;
    QString outPath, errPath;
    pid_t pid = -1;
    int status = 0;
};

TEST_F(Serve, ServesHandheldsOneAfterAnotherAndStopsOnSignals) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        const int port = Start({"--serve", "--port", "0"});
        ASSERT_GT(port, 0) << ReadAll(errPath).constData();
        const QString users = home.documents() + "/Varnholt/Orvelle/";
        if (signal == SIGTERM) {
            auto anna = Handheld("PHONE-1", "Anna");
            Put(anna.inputFolder + "/a.orv", "<OrvelleDoc/>");
            auto bob = Handheld("PHONE-2", "Bob\tB.");
            Put(bob.inputFolder + "/b.orv", "<OrvelleDoc/>");
            EXPECT_TRUE(sim::RunHandheld("127.0.0.1", port, anna).endConnection);
            EXPECT_TRUE(sim::RunHandheld("127.0.0.1", port, bob).endConnection);
            EXPECT_EQ(sim::RunHandheld("127.0.0.1", port, anna).mode, 0) << "a known handheld: the default mode";
            auto gone = anna;
            gone.hangUpAfter = 6;  // past its identity, inside the mode
            sim::RunHandheld("127.0.0.1", port, gone);
            const QStringList lines = Lines(4);
            EXPECT_EQ(lines.join('\n').toStdString(), "Anna\tPHONE-1\tHandheld overwrites Desktop\tok\n"
                                                       "Bob B.\tPHONE-2\tHandheld overwrites Desktop\tok\n"
                                                       "Anna\tPHONE-1\tSynchronize\tok\n"
                                                       "Anna\tPHONE-1\tSynchronize\tconnection lost");
            EXPECT_TRUE(QFile::exists(users + "PHONE-1/a.orv"));
            EXPECT_TRUE(QFile::exists(users + "PHONE-2/b.orv"));
            EXPECT_FALSE(QFileInfo::exists(users + "Backup"));
        }
        EXPECT_EQ(StopWith(signal), 0) << ReadAll(errPath).constData();
    }
    // The users and the current one are kept for the next start.
    const QString ini = QString::fromUtf8(ReadAll(home.path() + "/.config/Varnholt/Orvelle.ini"));
    EXPECT_TRUE(ini.contains("UserDisplayName=Anna"));
    EXPECT_TRUE(ini.contains("CurrentUser=PHONE-1"));
}

TEST_F(Serve, ABadCommandLineIsRefused) {
    for (const char* bad : {"x", "70000"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Start({"--serve", "--port", bad}), 0);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
    }
}

#else

TEST(Serve, NeedsTheProgram) { GTEST_SKIP() << "the orvelle program is not part of this build"; }

#endif

}  // namespace
