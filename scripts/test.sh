#!/usr/bin/env bash
# Runs all the tests: installs what is missing, builds everything, runs the native unit tests
# under the sanitizers, then the end-to-end tests of the real programs under Wine: the x86-64
# build, and side by side with it the x86 build (the one we ship) where this machine runs 32-bit
# Wine natively; where it does not, the x86 build gets the smoke test through emulation instead.
# Arguments go to both pytest runs (e.g. -k or -x).
set -euo pipefail
cd "$(dirname "$0")/.."

declare -a summary=()
failed=0
phase_start=$SECONDS
done_phase() {  # what, exit status
  local took=$((SECONDS - phase_start))
  if [ "$2" = 0 ]; then summary+=("passed  $1 ($((took / 60)) min $((took % 60)) s)")
  else summary+=("FAILED  $1 ($((took / 60)) min $((took % 60)) s)"); failed=1; fi
  phase_start=$SECONDS
}

scripts/bootstrap.sh

# The programs are signed as a release build signs them, with a throwaway certificate made here
# and verified against its own throwaway CA (build.sh verifies each signature).
certificates=$(mktemp -d)
trap 'rm -rf "$certificates"' EXIT
(
  cd "$certificates"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=ZEP! test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -keyout sign.key -out sign.csr -subj "/CN=ZEP! test signing" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' > sign.ext
  openssl x509 -req -in sign.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile sign.ext -out sign.pem 2>/dev/null
)
# The end-to-end suite checks the signatures again, in the programs and in the packages.
export ZEP_SIGN_CERT=$certificates/sign.pem ZEP_SIGN_KEY=$certificates/sign.key ZEP_SIGN_CA=$certificates/ca.pem
scripts/build.sh
done_phase "bootstrap and build (programs signed with a test certificate)" 0

echo "== unit tests (native, ASan + UBSan)"
(cd build/native && ctest --output-on-failure -j"$(nproc)")
done_phase "unit tests" 0

echo "== fuzzing (bounded runs from the seed corpora in tests/fuzz/corpus)"
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  corpus=$(mktemp -d)  # what the run finds goes here; the seeds stay as they are
  "$fuzzer" -max_total_time=15 -print_final_stats=0 "$corpus" "tests/fuzz/corpus/$(basename "$fuzzer")" 2>&1 | tail -n 1
  rm -rf "$corpus"
done
done_phase "fuzzing" 0

# A missing exe fails a test here instead of skipping it: everything was just built.
export ZEP_E2E_REQUIRE_BUILD=1

# The x86 build's 32-bit Wine: where this machine runs it natively, both builds' suites run side by
# side (they mostly wait on windows and the network, so the two cores carry both; each has its own
# display, prefixes, namespaces and artifacts); elsewhere the x86 build gets the smoke test.
rc=0
scripts/wine32.sh prepare || rc=$?
if [ "$rc" != 0 ]; then
  done_phase "x86 build: getting 32-bit Wine (scripts/wine32.sh prepare)" "$rc"
  why="32-bit Wine could not be prepared"
  x86_native=0
elif why=$(scripts/wine32.sh native); then
  x86_native=1
else
  x86_native=0
fi

if [ "$x86_native" = 1 ]; then
  echo "== end-to-end tests of the x86-64 build (64-bit Wine) and the x86 build (32-bit Wine, natively), side by side"
  mkdir -p build/e2e
  /usr/bin/python3 -m pytest -q tests/e2e --arch=x86-64 "$@" > build/e2e/suite-x86-64.log 2>&1 & pid64=$!
  /usr/bin/python3 -m pytest -q tests/e2e --arch=x86 "$@" > build/e2e/suite-x86.log 2>&1 & pid32=$!
  rc64=0; wait "$pid64" || rc64=$?
  rc32=0; wait "$pid32" || rc32=$?
  for arch in x86-64 x86; do echo "== end-to-end suite, $arch build (build/e2e/suite-$arch.log)"; cat "build/e2e/suite-$arch.log"; done
  done_phase "x86-64 build: end-to-end suite" "$rc64"
  summary+=("$( [ "$rc32" = 0 ] && echo passed || echo FAILED)  x86 build: end-to-end suite (32-bit Wine, natively; side by side with the x86-64 suite)")
  [ "$rc32" = 0 ] || failed=1
elif [ "$#" -gt 0 ]; then
  echo "== end-to-end tests of the x86-64 build (64-bit Wine, Xvfb, network namespaces): $*"
  rc=0
  /usr/bin/python3 -m pytest -q tests/e2e --arch=x86-64 "$@" || rc=$?
  done_phase "x86-64 build: end-to-end suite ($*)" "$rc"
else
  # The tests wait on windows, timers and the network far more than they compute: setup's and
  # zep's halves of the suite run side by side, each in its own session (Xvfb, wineservers).
  echo "== end-to-end tests of the x86-64 build (64-bit Wine, Xvfb, network namespaces), setup's and zep's side by side"
  mkdir -p build/e2e
  setup_tests=(tests/e2e/test_setup_*.py tests/e2e/test_distribution.py tests/e2e/test_shipped_programs.py)
  zep_tests=()
  for file in tests/e2e/test_*.py; do
    [[ " ${setup_tests[*]} " == *" $file "* ]] || zep_tests+=("$file")
  done
  /usr/bin/python3 -m pytest -q "${setup_tests[@]}" --arch=x86-64 > build/e2e/suite-setup.log 2>&1 & pid_setup=$!
  /usr/bin/python3 -m pytest -q "${zep_tests[@]}" --arch=x86-64 > build/e2e/suite-zep.log 2>&1 & pid_zep=$!
  rc_setup=0; wait "$pid_setup" || rc_setup=$?
  rc_zep=0; wait "$pid_zep" || rc_zep=$?
  for half in setup zep; do echo "== end-to-end suite, $half's half (build/e2e/suite-$half.log)"; cat "build/e2e/suite-$half.log"; done
  rc=$(( rc_setup != 0 || rc_zep != 0 ))
  done_phase "x86-64 build: end-to-end suite (setup's and zep's halves side by side)" "$rc"
  echo "== x86 build: end-to-end suite skipped: $why"
  echo "== x86 build: the smoke test through emulation instead"
  rc=0
  scripts/smoke-x86.sh --no-build || rc=$?
  done_phase "x86 build: smoke test only; end-to-end suite skipped: $why" "$rc"
fi

echo
echo "== test.sh summary"
printf '  %s\n' "${summary[@]}"
exit "$failed"
