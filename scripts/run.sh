#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Jotwell and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

program=build/app/jotwell
if [ -x "$program" ]; then
  exec "$program" "$@"
fi
echo "Built. The program's window is not part of this build yet; the core libraries,"
echo "tests and benchmarks are in build/."
