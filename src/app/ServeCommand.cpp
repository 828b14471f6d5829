#include "ServeCommand.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include "app/config/CAppSettings.h"
#include "app/config/CPreferences.h"
#include "app/config/ConfigTable.h"
#include "platform/QtSettingsStore.h"
#include "sync/COrvelleSync.h"
#include "sync/CUserItem.h"
#include "sync/CUserList.h"
#include "sync/ISyncHost.h"

namespace {

void Note(const QString& text) {
    std::fprintf(stderr, "orvelle: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The program's side of a sync without a window. Every call comes from the listener
// thread, so the current user and the preferences need no lock.
class ServeHost : public ISyncHost {
public:
    ServeHost(CAppSettings& settings, CUserList& users) : settings_(settings), users_(users) {
        if (CUserItem* user = users_.FindByID(config::GetCurrentUserID(settings_))) MakeCurrent(user);
    }
    ~ServeHost() override {
        if (current_) prefs_.Save(settings_, current_->GetUserKeyName(), current_->GetDefaultDataFolder());
    }

    void ShowMessage(const QString& text, const QString& caption) override {
        Note(caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
    }
    CUserItem* CurrentUser() const override { return current_; }
    QString DataFolder() const override { return current_ ? prefs_.GetDataFolder() : QString(); }
    void SwitchUser(CUserItem* user) override {
        if (!user || user == current_) return;
        if (current_) prefs_.Save(settings_, current_->GetUserKeyName(), current_->GetDefaultDataFolder());
        MakeCurrent(user);
        Note(QStringLiteral("current user: %1 (%2)").arg(user->GetName(), user->GetDeviceID()));
    }
    void SetStatus(const QString& text) override { Note(text); }
    void SetMode(const QString& text) override { Note(text); }

private:
    void MakeCurrent(CUserItem* user) {
        current_ = user;
        prefs_.Load(settings_, user->GetUserKeyName(), user->GetDefaultDataFolder());
        QDir().mkpath(prefs_.GetDataFolder());
        config::SetCurrentUserID(settings_, user->GetDeviceID());
        settings_.Store().flush();
    }

    CAppSettings& settings_;
    CUserList& users_;
    CUserItem* current_ = nullptr;
    CPreferences prefs_;
};

QString Field(QString text) {
    // One line per session, whatever the handheld calls itself.
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.isEmpty() ? QStringLiteral("-") : text;
}

}  // namespace

int RunServeCommand(int& argc, char** argv) {
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    std::uint16_t port = 5000;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = false;
        const int value = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
        if (args[i] == QLatin1String("--port") && ok && value >= 0 && value <= 65535) {
            port = static_cast<std::uint16_t>(value);
            ++i;
            continue;
        }
        std::fprintf(stderr, "usage: orvelle --serve [--port N]\n");
        return 2;
    }

    // The signals are taken by sigwait below, never by a handler: every thread started
    // from here on inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    QCoreApplication app(argc, argv);

    platform::QtSettingsStore store;
    CAppSettings settings(store);
    CUserList users(settings);
    users.LoadUsers();
    int status = 0;
    {
        ServeHost host(settings, users);
        COrvelleSync sync(settings, users, host);
        sync.SetProgressPauses(false);
        sync.SetPort(port);
        sync.SetReportSink([&store](const COrvelleSync::SessionReport& r) {
            store.flush();
            const QString line = QStringLiteral("%1\t%2\t%3\t%4\n")
                                     .arg(Field(r.deviceName), Field(r.deviceId), COrvelleSync::ModeName(r.mode),
                                          COrvelleSync::OutcomeText(r.outcome));
            std::fputs(line.toUtf8().constData(), stdout);
            std::fflush(stdout);
        });
        if (!sync.StartListener()) {
            Note(QStringLiteral("cannot listen on port %1").arg(port));
            status = 1;
        } else {
            Note(QStringLiteral("serving syncs on port %1").arg(sync.Port()));
            if (!sync.Announce())
                Note(QStringLiteral("not announced on the network (is avahi-daemon running?); serving all the same"));
            int signal = 0;
            sigwait(&stopSignals, &signal);
            Note(QStringLiteral("stopping"));
            sync.StopListenerAndWait();
        }
    }
    store.flush();
    return status;
}
