// Resident memory of a 100,000-item outline: after opening it with its records, and
// after ReleaseItemElements. Run from a Release build:
//   build-storage-rel/bench/storage/storage_memory

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <QFileInfo>
#include <QTemporaryDir>

#include "storage/COutlineDatabase.h"

namespace {

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

}  // namespace

int main() {
    QTemporaryDir dir;
    const QString path = dir.path() + "/Large.orv";
    {
        COutlineDatabase db;
        for (int i = 0; i < 100000; ++i) {
            COutlineRecord* r = db.GetRecords()->AddNew();
            r->indent = static_cast<uint8_t>(i % 5);
            r->text = QString(i % 20 == 0 ? 400 : 25, QChar('a' + i % 26)) + "\r\nmore";
            if (i % 10 == 0) r->note = QString(60, QChar('n'));
        }
        if (!db.Save(path, 1)) return 1;
    }
    malloc_trim(0);  // start from what the program holds, not what making the file left
    const long base = ResidentKb();
    COutlineDatabase db;
    if (db.Open(path, 1) != 1) return 1;
    const long opened = ResidentKb();
    db.ReleaseItemElements();
    const long released = ResidentKb();
    std::printf("file %lld bytes\n", static_cast<long long>(QFileInfo(path).size()));
    std::printf("resident before open %ld kB, opened with records +%ld kB, after ReleaseItemElements +%ld kB\n",
                base, opened - base, released - base);
    return 0;
}
