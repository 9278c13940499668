#!/usr/bin/env bash
# Runs all the tests: installs what is missing, builds everything, runs the native unit tests
# under the sanitizers, then the end-to-end tests of the real programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
scripts/build.sh

echo "== unit tests (native, ASan + UBSan)"
(cd build/native && ctest --output-on-failure -j"$(nproc)")

echo "== fuzzing (bounded runs from the seed corpora in tests/fuzz/corpus)"
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  corpus=$(mktemp -d)  # what the run finds goes here; the seeds stay as they are
  "$fuzzer" -max_total_time=15 -print_final_stats=0 "$corpus" "tests/fuzz/corpus/$(basename "$fuzzer")" 2>&1 | tail -n 1
  rm -rf "$corpus"
done

echo "== end-to-end tests (Wine, Xvfb, network namespaces)"
/usr/bin/python3 -m pytest -q tests/e2e "$@"
