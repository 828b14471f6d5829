#pragma once
// A discovery daemon of the test's own: a private D-Bus bus (its socket in a temporary
// folder, so the machine's system bus is never involved), a network namespace holding
// a veth pair with a private address on one end, and avahi-daemon inside it, bound to
// that veth only, with a tmpfs over /run in its own mount namespace for its pid and
// socket files. Every client the test runs goes through Exec(), which enters the
// namespace and points D-Bus clients at the private bus. The destructor tears all of it
// down, whatever happened.

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <string>
#include <thread>

#include "ProcessTools.h"

namespace testsupport {

class AvahiSandbox {
public:
    static constexpr const char* kInterface = "orvs0";

    AvahiSandbox() : ns_("orvsync" + std::to_string(::getpid())) {}
    ~AvahiSandbox() {
        Stop(avahiPid_);
        Stop(busPid_);
        if (nsCreated_) Run({"ip", "netns", "del", ns_});
        if (busLog_ >= 0) ::close(busLog_);
        if (avahiLog_ >= 0) ::close(avahiLog_);
    }
    AvahiSandbox(const AvahiSandbox&) = delete;
    AvahiSandbox& operator=(const AvahiSandbox&) = delete;

    // Sets everything up; on failure returns false with the reason in *why.
    bool Start(std::string* why) {
        if (::geteuid() != 0) return Fail(why, "network namespaces need root");
        for (const char* program : {"ip", "unshare", "dbus-daemon", "avahi-daemon", "avahi-browse"})
            if (!HaveProgram(program)) return Fail(why, std::string(program) + " is not installed");
        if (!dir_.isValid()) return Fail(why, "no temporary folder");
        busAddress_ = "unix:path=" + Path("bus");

        RunResult r = Run({"ip", "netns", "add", ns_});
        if (r.status != 0) return Fail(why, "cannot create a network namespace: " + r.out);
        nsCreated_ = true;
        // Both ends of the pair live in the namespace: no interface of the machine changes.
        for (auto args : std::vector<std::vector<std::string>>{
                 {"ip", "-n", ns_, "link", "add", kInterface, "type", "veth", "peer", "name", "orvs1"},
                 {"ip", "-n", ns_, "addr", "add", "10.213.7.1/24", "dev", kInterface},
                 {"ip", "-n", ns_, "link", "set", kInterface, "up"},
                 {"ip", "-n", ns_, "link", "set", "orvs1", "up"},
                 {"ip", "-n", ns_, "link", "set", "lo", "up"}}) {
            r = Run(args);
            if (r.status != 0) return Fail(why, "cannot set up the test network: " + r.out);
        }

        WriteFile("bus.conf",
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>system</type><listen>" + busAddress_ + "</listen><auth>EXTERNAL</auth>\n"
                  "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
                  "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/></policy>\n"
                  "</busconfig>\n");
        busLog_ = ::open(Path("bus.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        busPid_ = Spawn({"dbus-daemon", "--nofork", "--nopidfile", "--config-file=" + Path("bus.conf")}, {}, -1,
                        busLog_);
        if (busPid_ < 0 || !WaitFor([&] { return QFile::exists(QString::fromStdString(Path("bus"))); }, 5000))
            return Fail(why, "private D-Bus bus did not start: " + ReadFile("bus.log"));

        WriteFile("avahi.conf", std::string("[server]\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=") + kInterface +
                                    "\nenable-dbus=yes\n[wide-area]\nenable-wide-area=no\n"
                                    "[publish]\npublish-hinfo=no\npublish-workstation=no\n");
        avahiLog_ = ::open(Path("avahi.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        avahiPid_ = Spawn({"ip", "netns", "exec", ns_, "unshare", "-m", "--propagation", "private", "sh", "-c",
                           "mount -t tmpfs orvsync /run && mkdir -p /run/avahi-daemon && exec avahi-daemon "
                           "--no-drop-root --no-chroot --no-rlimits --no-proc-title -f " +
                               Path("avahi.conf")},
                          {"DBUS_SYSTEM_BUS_ADDRESS=" + busAddress_}, -1, avahiLog_);
        if (avahiPid_ < 0 ||
            !WaitFor([&] { return ReadFile("avahi.log").find("Server startup complete") != std::string::npos; },
                     10000))
            return Fail(why, "avahi-daemon did not start: " + ReadFile("avahi.log"));
        return true;
    }

    // The command line that runs args inside the namespace.
    std::vector<std::string> InNamespace(std::vector<std::string> args) const {
        std::vector<std::string> full{"ip", "netns", "exec", ns_};
        full.insert(full.end(), args.begin(), args.end());
        return full;
    }
    // The environment entries every D-Bus client of the sandbox needs.
    std::vector<std::string> ClientEnvironment() const { return {"DBUS_SYSTEM_BUS_ADDRESS=" + busAddress_}; }

    RunResult Exec(std::vector<std::string> args) const { return Run(InNamespace(std::move(args)), ClientEnvironment()); }

    std::string DaemonLog() const { return ReadFile("avahi.log"); }

    template <typename Pred>
    static bool WaitFor(Pred pred, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (pred()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return pred();
    }

private:
    static bool Fail(std::string* why, const std::string& text) {
        if (why) *why = text;
        return false;
    }
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
    void WriteFile(const char* name, const std::string& text) const {
        QFile f(QString::fromStdString(Path(name)));
        if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
    }
    std::string ReadFile(const char* name) const {
        QFile f(QString::fromStdString(Path(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
    }

    std::string ns_;
    QTemporaryDir dir_;
    std::string busAddress_;
    bool nsCreated_ = false;
    pid_t busPid_ = -1;
    pid_t avahiPid_ = -1;
    int busLog_ = -1;
    int avahiLog_ = -1;
};

}  // namespace testsupport
