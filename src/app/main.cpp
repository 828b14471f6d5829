#include <cstdio>
#include <cstring>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include "DumpCommand.h"
#include "ServeCommand.h"
#include "orvelle/Version.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--dump") == 0) {
        QStringList paths;
        for (int i = 2; i < argc; ++i) paths << QFile::decodeName(argv[i]);
        return RunDumpCommand(paths);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--serve") == 0) return RunServeCommand(argc, argv);
    QCoreApplication app(argc, argv);
    // The window comes later; until then the program offers its command-line modes.
    std::fprintf(stderr,
                 "Orvelle %s\n"
                 "usage: orvelle --dump FILE...          print outline documents and templates as text\n"
                 "       orvelle --serve [--port N]      serve handheld syncs without a window\n",
                 ORVELLE_VERSION_TEXT);
    return argc >= 2 ? 2 : 0;
}
