// orvelle-handheld-sim: plays the handheld's side of one sync against a desktop.
//
//   orvelle-handheld-sim [--host H] [--port N] [--name TEXT] [--id TEXT]
//                        [--files DIR] [--out DIR] [--stop-at K] [--fail-at K]
//                        [--hang-up-after N] [--timeout-ms T]
//
// --files: what the handheld holds (every file is offered; DeletedFiles.xml is its
// deleted-files list). --out: received files land in DIR/files, the conversation in
// DIR/transcript.txt, a summary in DIR/result.txt. --stop-at K answers "SyncHasToStop"
// at the K-th place the desktop accepts it; --fail-at K reports a failure at the K-th
// place the handheld reports its result; --hang-up-after N closes the link after N
// messages sent. Exit status 0 when the desktop ended the sync with "EndConnection".

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "HandheldSimulator.h"

namespace {

bool ParseInt(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && *value >= low && *value <= high;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: orvelle-handheld-sim [--host H] [--port N] [--name TEXT] [--id TEXT] [--files DIR]\n"
                 "                            [--out DIR] [--stop-at K] [--fail-at K] [--hang-up-after N]\n"
                 "                            [--timeout-ms T]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    sim::HandheldOptions options;
    std::string host = "127.0.0.1";
    long port = 5000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        long number = 0;
        if (arg == "--host") host = value;
        else if (arg == "--name") options.deviceName = QString::fromUtf8(value);
        else if (arg == "--id") options.deviceId = QString::fromUtf8(value);
        else if (arg == "--files") options.inputFolder = QString::fromUtf8(value);
        else if (arg == "--out") options.outputFolder = QString::fromUtf8(value);
        else if (arg == "--port" && ParseInt(value, 1, 65535, &number)) port = number;
        else if (arg == "--stop-at" && ParseInt(value, 0, 1000000, &number)) options.stopAt = int(number);
        else if (arg == "--fail-at" && ParseInt(value, 0, 1000000, &number)) options.failAt = int(number);
        else if (arg == "--hang-up-after" && ParseInt(value, 0, 100000000, &number)) options.hangUpAfter = int(number);
        else if (arg == "--timeout-ms" && ParseInt(value, 1, 3600000, &number)) options.timeoutMs = int(number);
        else return Usage();
    }
    const sim::HandheldResult result = sim::RunHandheld(host, static_cast<std::uint16_t>(port), options);
    if (!result.connected) {
        std::fprintf(stderr, "orvelle-handheld-sim: cannot connect to %s:%ld\n", host.c_str(), port);
        return 1;
    }
    std::printf("mode %d, %lld files received, %s\n", result.mode, static_cast<long long>(result.received.size()),
                result.endConnection ? "ended by the desktop" : "connection lost");
    return result.endConnection ? 0 : 1;
}
