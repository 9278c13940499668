#!/usr/bin/env bash
# Runs all the tests: installs what is missing, builds everything, runs the native unit tests
# under the sanitizers, then the end-to-end tests of the real programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
scripts/build.sh

echo "== unit tests (native, ASan + UBSan)"
(cd build/native && ctest --output-on-failure -j"$(nproc)")

echo "== fuzzing (bounded runs)"
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  corpus=$(mktemp -d)
  "$fuzzer" -max_total_time=15 -print_final_stats=0 "$corpus" 2>&1 | tail -n 1
  rm -rf "$corpus"
done

echo "== end-to-end tests (Wine, Xvfb, network namespaces)"
/usr/bin/python3 -m pytest -q tests/e2e "$@"
