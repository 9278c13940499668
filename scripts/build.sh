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

# Each program must need nothing but system DLLs.
for exe in build/w64/zep/zep.exe build/w32/zep/zep.exe build/w64/setup/setup.exe build/w32/setup/setup.exe; do
  objdump=x86_64-w64-mingw32-objdump
  extra=$($objdump -p "$exe" | awk '/DLL Name/ {print tolower($3)}' |
    grep -v -x -E 'kernel32.dll|user32.dll|gdi32.dll|shell32.dll|comctl32.dll|ole32.dll|advapi32.dll|version.dll|winmm.dll|ws2_32.dll|secur32.dll|crypt32.dll|msvcrt.dll|comdlg32.dll|oleaut32.dll|shlwapi.dll|uxtheme.dll|api-ms-win-.*' || true)
  if [ -n "$extra" ]; then echo "build: $exe needs non-system DLLs: $extra" >&2; exit 1; fi
done
# The packages a Windows user installs from: build/w32/zep-VERSION-x86.zip (shipped first) and
# build/w64/zep-VERSION-x64.zip.
for build in build/w32 build/w64; do (cd "$build" && cpack -G ZIP >/dev/null); done
echo "build: done (build/native, build/fuzz, build/w64, build/w32; packages $(ls build/w32/zep-*.zip build/w64/zep-*.zip | tr '\n' ' '))"
