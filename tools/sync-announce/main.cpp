// orvelle-sync-announce [--port N]
// Registers the desktop's sync service exactly as the program does at start-up, reports
// on standard output, keeps the registration until standard input reaches its end, then
// withdraws it. Output lines: "message: <caption>: <text>" for each message the desktop
// would show, "reply received" or "no reply yet", then "registered" or "not registered", and "withdrawn" at the end.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "sync/CSyncAnnouncement.h"
#include "sync/ISyncHost.h"

namespace {

class PrintingHost : public ISyncHost {
public:
    void ShowMessage(const QString& text, const QString& caption) override {
        std::printf("message: %s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    long port = 5000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            if (*end || port <= 0 || port > 65535) {
                std::fprintf(stderr, "orvelle-sync-announce: bad port %s\n", argv[i]);
                return 2;
            }
        } else {
            std::fprintf(stderr, "usage: orvelle-sync-announce [--port N]\n");
            return 2;
        }
    }
    PrintingHost host;
    CSyncAnnouncement announcement(host);
    const bool ok = announcement.Announce(static_cast<std::uint16_t>(port));
    if (ok) std::printf("%s\n", announcement.ReplyReceived() ? "reply received" : "no reply yet");
    std::printf("%s\n", ok ? "registered" : "not registered");
    std::fflush(stdout);
    char buffer[256];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    announcement.Withdraw();
    std::printf("withdrawn\n");
    std::fflush(stdout);
    return ok ? 0 : 1;
}
