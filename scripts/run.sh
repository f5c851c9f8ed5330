#!/usr/bin/env bash
# The main job: builds, prepares the default machine in build/machine and runs what exists of a
# print job end to end, leaving the printer's bytes in build/out/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build

export PALVEX_MACHINE=${PALVEX_MACHINE:-$PWD/build/machine}
mkdir -p build/out
echo "run: machine at $PALVEX_MACHINE"
build/bin/palvex-machine init
build/bin/palvex-machine show
echo "run: the print path is not built yet; the deliverables are in build/lib and build/bin:"
ls -1 build/lib/libtovqeb*.so build/bin/Pardex
