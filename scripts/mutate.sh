#!/usr/bin/env bash
# Seeded mutation testing of the product code against the tests; see tests/README.md.
#   scripts/mutate.sh                      run the stored sample (scripts/mutations.tsv)
#   scripts/mutate.sh --resume             go on with a run that was cut short
#   scripts/mutate.sh --only layout -j1    one folder's mutants
#   scripts/mutate.sh --report --against scripts/mutations-baseline.tsv
#                                          summary, and the mutants the baseline killed that live now
#   scripts/mutate.sh --pick --seed 1 --count 320   write a new sample
# Mutants are built and run in a scratch worktree (--build, default ../mutate-scratch), never here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
# Restored files rebuild from the compiler cache, wherever the scratch worktree lives.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$(dirname "$here")")} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
exec python3 "$here/mutate.py" "$@"
