#pragma once
// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder for the lifetime of the
// object, so a test sees a home of its own: documents folder, settings file and all.

#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class TempHome {
public:
    TempHome() {
        saveVar("HOME", oldHome_, hadHome_);
        saveVar("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
        saveVar("XDG_DOCUMENTS_DIR", oldDocs_, hadDocs_);
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + "/.config").toUtf8());
        qunsetenv("XDG_DOCUMENTS_DIR");
        QDir(dir_.path()).mkpath("Documents");
        QDir(dir_.path()).mkpath(".config");
    }
    ~TempHome() {
        restoreVar("HOME", oldHome_, hadHome_);
        restoreVar("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
        restoreVar("XDG_DOCUMENTS_DIR", oldDocs_, hadDocs_);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir_.path(); }
    QString documents() const { return dir_.path() + "/Documents"; }

private:
    static void saveVar(const char* name, QByteArray& value, bool& had) {
        had = qEnvironmentVariableIsSet(name);
        value = qgetenv(name);
    }
    static void restoreVar(const char* name, const QByteArray& value, bool had) {
        if (had) qputenv(name, value); else qunsetenv(name);
    }

    QTemporaryDir dir_;
    QByteArray oldHome_, oldConfig_, oldDocs_;
    bool hadHome_ = false, hadConfig_ = false, hadDocs_ = false;
};

}  // namespace testsupport
