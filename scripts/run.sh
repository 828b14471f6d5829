#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Orvelle and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target orvelle
exec build/src/app/orvelle "$@"
