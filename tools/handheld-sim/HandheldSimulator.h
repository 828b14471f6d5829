#pragma once
// The handheld's side of a sync, played against a desktop over TCP with the desktop's
// own transport primitives. The desktop leads; the simulator answers each word as the
// handheld app does, from a folder of files, and can be told to stop, fail or hang up
// at chosen points so tests and people can watch the desktop's reactions.

#include <cstdint>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

namespace sim {

struct HandheldOptions {
    QString deviceName = QStringLiteral("Simulated iPhone");
    QString deviceId = QStringLiteral("SIM-0000-0001");
    // Every regular file here is sent when the desktop asks for modified files (mode 0)
    // or for all files (mode 2), in name order; "DeletedFiles.xml" is instead the
    // handheld's deleted-files list. Empty: nothing to send.
    QString inputFolder;
    // Received files go to outputFolder/files (without one they are received and not
    // kept); the transcript to outputFolder/transcript.txt.
    QString outputFolder;
    // The n-th place (from 1) where the desktop accepts "SyncHasToStop" gets it; 0: never.
    int stopAt = 0;
    // The n-th place where the handheld reports its own result reports a failure
    // ("SyncFailed" instead of "ProcessSuccess", "SyncFinalize" or "OK"); 0: never.
    int failAt = 0;
    // Hang up after this many messages sent (words, names, sizes, data chunks); 0: never.
    int hangUpAfter = 0;
    int timeoutMs = 60000;
};

struct HandheldResult {
    bool connected = false;
    int mode = -1;              // 0, 1, 2 as announced by the desktop; -1 none
    bool endConnection = false; // the desktop said "EndConnection"
    bool connectionFailed = false;
    // Stored paths in order of arrival; without an output folder, the cleaned names.
    QStringList received;
    std::vector<std::string> transcript;  // "> word" sent, "< word" received
    std::vector<std::string> desktopWords;  // the desktop's words only, in order
};

// Connects to host:port and plays one sync. Writes the output folder when one is set.
HandheldResult RunHandheld(const std::string& host, std::uint16_t port, const HandheldOptions& options);
// The same over a connected socket (owned from then on).
HandheldResult RunHandheldOnSocket(int fd, const HandheldOptions& options);

}  // namespace sim
