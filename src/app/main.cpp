#include <cstdio>

#include <QCoreApplication>

#include "orvelle/Version.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "Orvelle %s: the main window is not built yet.\n", ORVELLE_VERSION_TEXT);
    return 0;
}
