#!/usr/bin/env bash
# Builds everything: the native core with its unit tests (ASan and UBSan), and the Windows
# programs for x86-64 (run by the tests under Wine) and x86 (the distribution build).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DZEP_SANITIZE=ON >/dev/null
cmake --build build/native -j"$jobs"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEP_FUZZ=ON >/dev/null
cmake --build build/fuzz -j"$jobs"

cmake -S . -B build/w64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/w64 -j"$jobs"

cmake -S . -B build/w32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/w32 -j"$jobs"

# Each shipped program: at load time it imports only the system's known DLLs (and comctl32, which
# its manifest takes from the side-by-side store), since the loader looks for any other DLL beside
# the program first; others are delay-imported (cmake/delay-load.cmake). And the PE flags of
# address-space randomisation (with the relocations it needs) and no-execute data.
check_pe() {  # exe
  local objdump=x86_64-w64-mingw32-objdump headers extra flags
  headers=$($objdump -p "$1")
  extra=$(awk '/DLL Name/ {print tolower($3)}' <<<"$headers" |
    grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|shell32.dll|comctl32.dll|ole32.dll|advapi32.dll|ws2_32.dll|msvcrt.dll|comdlg32.dll|oleaut32.dll|shlwapi.dll|api-ms-win-.*' || true)
  if [ -n "$extra" ]; then echo "build: $1 imports at load time DLLs that are no known system DLLs (delay-load them): $extra" >&2; return 1; fi
  flags=$(awk '/^DllCharacteristics/ {p=1; next} p && /^\t\t/ {print $1; next} {p=0}' <<<"$headers" | sort | tr '\n' ' ')
  local wanted="DYNAMIC_BASE NX_COMPAT"
  grep -q '^Magic.*020b' <<<"$headers" && wanted="$wanted HIGH_ENTROPY_VA"  # PE32+
  for flag in $wanted; do
    case " $flags" in *" $flag "*) ;; *) echo "build: $1 lacks the PE flag $flag (has: $flags)" >&2; return 1 ;; esac
  done
  if ! $objdump -h "$1" | grep -q ' \.reloc '; then echo "build: $1 has no relocations: it cannot be moved" >&2; return 1; fi
}

# Authenticode: with ZEP_SIGN_CERT (PEM certificate, with its chain) and ZEP_SIGN_KEY (PEM private
# key) both programs of both builds are signed (ZEP_SIGN_TIMESTAMP: a time-stamp server's URL) and
# their signatures verified against ZEP_SIGN_CA (default: the system's CAs), before the packages
# are made.
signing=0
if [ -n "${ZEP_SIGN_CERT:-}" ] || [ -n "${ZEP_SIGN_KEY:-}" ]; then
  : "${ZEP_SIGN_CERT:?build: ZEP_SIGN_KEY is set, ZEP_SIGN_CERT is not}" "${ZEP_SIGN_KEY:?build: ZEP_SIGN_CERT is set, ZEP_SIGN_KEY is not}"
  signing=1
fi
verify_signature() {  # exe
  if ! osslsigncode verify -CAfile "${ZEP_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}" -in "$1" >/dev/null 2>&1; then
    echo "build: the signature of $1 does not verify" >&2; return 1
  fi
}
sign() {  # exe; an exe signed before (not linked again since) gets its signature replaced
  local timestamp=()
  [ -n "${ZEP_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$ZEP_SIGN_TIMESTAMP")
  rm -f "$1.signed"
  osslsigncode sign -certs "$ZEP_SIGN_CERT" -key "$ZEP_SIGN_KEY" -h sha256 -n "ZEP!" "${timestamp[@]}" \
    -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}

programs=(build/w64/zep/zep.exe build/w32/zep/zep.exe build/w64/setup/setup.exe build/w32/setup/setup.exe)
for exe in "${programs[@]}"; do
  check_pe "$exe"
  if [ "$signing" = 1 ]; then sign "$exe"; verify_signature "$exe"; fi
done

# The packages a Windows user installs from: build/w32/zep-VERSION-x86.zip (shipped first) and
# build/w64/zep-VERSION-x64.zip. The programs in them are checked as they ship.
for build in build/w32 build/w64; do
  (cd "$build" && rm -f zep-*.zip && cpack -G ZIP >/dev/null)
  unpacked=$(mktemp -d)
  unzip -q -j "$build"/zep-*.zip '*.exe' -d "$unpacked"
  for exe in "$unpacked"/*.exe; do
    check_pe "$exe"
    if [ "$signing" = 1 ]; then verify_signature "$exe"; fi
  done
  rm -rf "$unpacked"
done
packages=$(echo build/w32/zep-*.zip build/w64/zep-*.zip)
echo "build: done (build/native, build/fuzz, build/w64, build/w32; packages $packages$( [ "$signing" = 1 ] && echo '; programs signed'))"
