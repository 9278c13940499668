#!/usr/bin/env bash
# Smoke test of the x86 (32-bit) build of zep, the build we ship.
#
# 32-bit Wine comes from scripts/wine32.sh, unpacked privately under build/wine32/ (no i386
# packages are installed, dpkg is not touched). How it runs depends on the machine, which the
# script finds out first (scripts/wine32.sh native):
#   - natively, where the kernel runs 32-bit programs: the i386 loader is started directly;
#   - through qemu user emulation, where it does not (or with --qemu): qemu-i386 from
#     bookworm-backports (bookworm's own qemu 7.2 never finishes booting a Wine session), with
#     the i386 libraries found through QEMU_LD_PREFIX.
#
# What the script changes on the machine, only while it runs, and restores on every exit path
# (normal end, failure, Ctrl-C, SIGTERM, SIGHUP):
#   - with qemu only, binfmt_misc: mounts /proc/sys/fs/binfmt_misc if it is not mounted, and
#     registers qemu as the handler of i386 ELF; at the end the entry is removed and the mount
#     undone (if this script made it). While the entry exists nothing else changes for 64-bit
#     programs.
#   - a network namespace, an Xvfb on a free display and the Wine processes of its own
#     prefixes, all ended/removed at the end.
# Missing host packages of the project's usual set (Xvfb, xdotool, wine64, MinGW, ...) are
# installed with apt like scripts/bootstrap.sh does and stay installed.
# After restoring, it checks that an i386 program starts (or does not) exactly as before the run
# and that /usr/lib/wine/wine64 still starts a 64-bit exe quickly.
#
# The test: build the x86 zep.exe (cmake, build/w32) if needed, copy it into a fresh folder
# of a 32-bit Wine prefix (WINEARCH=win32, made once and cached), start it with
# LANG=ja_JP.UTF-8, check its tray icon and its controller window (TZEPHiddenForm), take a
# screenshot, start "zep.exe -quit", check that the running copy ends and that it wrote
# zep.ini with a [ZEP] section beside the exe. Then the x86 package (build/w32/zep-*-x86.zip):
# its setup.exe installs it unattended (Setup Auto=1 in the package's Setup.ini), the install
# record and the files are checked, zep started by setup's last step is found and quit, and
# "Setup.exe uninstall" in the install folder removes everything, its folder included.
#
# Usage: scripts/smoke-x86.sh [--no-build] [--keep] [--refresh] [--qemu]
#   --no-build  do not run cmake; use the zep.exe that is there
#   --keep      keep this run's prefix copy (build/smoke-x86/run/prefix) for a look
#   --refresh   download and unpack the i386 runtime and make the 32-bit prefix again
#   --qemu      run 32-bit Wine through qemu even where the kernel runs it natively
#   ZEP_EXE=path  test another exe instead of build/w32/zep/zep.exe (implies --no-build)
# Exit status 0 only when every check passed and the machine was restored.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
. "$REPO/scripts/apt_update.sh"
CACHE=$REPO/build/smoke-x86
WINE32_SH=$REPO/scripts/wine32.sh
ROOT=$("$WINE32_SH" root)
QEMU=$("$WINE32_SH" qemu)
TEMPLATE=$CACHE/prefix-template
PREFIX64=$CACHE/prefix64
TOOLS=$CACHE/tools
RUN=$CACHE/run
PFX=$RUN/prefix
WINE32=$ROOT/usr/lib/wine/wine
WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
BINFMT=/proc/sys/fs/binfmt_misc
BINFMT_NAME=zep-smoke-i386-$$
NS=zep-smoke-x86-$$

HOST_PACKAGES=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 libgcrypt-mingw-w64-dev
               wine64 xvfb x11-utils xdotool imagemagick fonts-ipafont-gothic
               iproute2 libcap2-bin libc6-i386)

DO_BUILD=1
KEEP=0
REFRESH=0
FORCE_QEMU=0
for a in "$@"; do
  case "$a" in
    --no-build) DO_BUILD=0 ;;
    --keep) KEEP=1 ;;
    --refresh) REFRESH=1 ;;
    --qemu) FORCE_QEMU=1 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "smoke-x86: unknown option $a" >&2; exit 2 ;;
  esac
done
ZEP_SRC=${ZEP_EXE:-$REPO/build/w32/zep/zep.exe}
[ -n "${ZEP_EXE:-}" ] && DO_BUILD=0

T0=$(date +%s)
log() { printf '[smoke-x86 %4ds] %s\n' "$(( $(date +%s) - T0 ))" "$*"; }
die() { log "ERROR: $*"; exit 1; }

# ---------------------------------------------------------------------------------------
# State for the cleanup; every change to the machine is recorded here before it is made.
CHILD=""            # the long command the script is waiting for
MODE=""            # native or qemu, once known
SERVER=$WINESERVER64  # the wineserver of our 32-bit prefixes
I386_BEFORE=""     # whether the i386 loader started before the run changed anything
MOUNTED_BINFMT=0
BINFMT_WAS_DISABLED=0
REGISTERED=0
NS_MADE=0
XVFB_PID=""
SERVER_PID=""
ZEP_PID=""
INTERRUPTED=0
CLEANED=0
declare -a RESULTS=()
FAILED=0
RESTORE_FAILED=0

pass() { RESULTS+=("PASS  $*"); log "PASS: $*"; }
fail() { RESULTS+=("FAIL  $*"); log "FAIL: $*"; FAILED=1; }

# Runs a command in the background and waits for it, so that Ctrl-C reaches the trap at
# once instead of after the command (bash defers traps while a foreground child runs).
# "bgrun -o FILE cmd ..." sends the command's output to FILE. (Not with a redirection of
# the bgrun call itself: the trap would then run with that redirection and log into FILE.)
bgrun() {
  if [ "$1" = -o ]; then
    local out=$2
    shift 2
    "$@" > "$out" 2>&1 &
  else
    "$@" &
  fi
  CHILD=$!
  local rc=0
  wait "$CHILD" || rc=$?
  CHILD=""
  return $rc
}

# True while process $1 runs (a child that ended but was not reaped yet counts as ended).
alive() {
  [ -n "${1:-}" ] && [ -r "/proc/$1/stat" ] || return 1
  local st
  st=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$st" ] && [ "$st" != Z ] && [ "$st" != X ]
}

# Waits up to $2 seconds for process $1 to end.
wait_gone() {
  local pid=$1 deadline=$(( $(date +%s) + $2 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do alive "$pid" || return 0; sleep 0.2; done
  ! alive "$pid"
}

# Environment of every 32-bit Wine process.
wine32_env() {
  unset WINELOADER WINESERVER WINEDLLPATH QEMU_LD_PREFIX LD_LIBRARY_PATH
  local line
  while IFS= read -r line; do export "${line?}"; done < <("$WINE32_SH" env)
  if [ "$MODE" = qemu ]; then
    # qemu finds the i386 libraries (and the loader's ld.so) in the unpacked tree itself.
    export QEMU_LD_PREFIX=$ROOT
    unset LD_LIBRARY_PATH WINESERVER
  fi
  export WINEPREFIX=$1 WINEDEBUG=${SMOKE_WINEDEBUG:--all,err+all}
  export LANG=ja_JP.UTF-8 LC_ALL=
  # No mono/gecko installers, no menu entries under $HOME.
  export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
  export XDG_CONFIG_HOME=$CACHE/xdg/config XDG_DATA_HOME=$CACHE/xdg/data XDG_CACHE_HOME=$CACHE/xdg/cache
}

# Whether the i386 Wine loader starts here now (natively or through an emulator), as a word.
i386_state() {
  local out
  out=$(
    while IFS= read -r line; do export "${line?}"; done < <("$WINE32_SH" env)
    timeout 30 "$WINE32" --version 2>/dev/null
  ) || true
  [[ "$out" == wine-* ]] && echo runs || echo "does not run"
}

# ---------------------------------------------------------------------------------------
binfmt_restore() {
  if [ "$REGISTERED" = 1 ]; then
    if [ -e "$BINFMT/$BINFMT_NAME" ]; then
      if echo -1 > "$BINFMT/$BINFMT_NAME"; then log "binfmt_misc: removed $BINFMT_NAME"
      else log "ERROR: could not remove $BINFMT/$BINFMT_NAME"; RESTORE_FAILED=1; fi
    fi
    [ -e "$BINFMT/$BINFMT_NAME" ] && RESTORE_FAILED=1
    REGISTERED=0
  fi
  if [ "$BINFMT_WAS_DISABLED" = 1 ]; then
    echo 0 > "$BINFMT/status" && log "binfmt_misc: disabled again" || RESTORE_FAILED=1
    BINFMT_WAS_DISABLED=0
  fi
  if [ "$MOUNTED_BINFMT" = 1 ]; then
    local others
    others=$(ls "$BINFMT" 2>/dev/null | grep -v -x -e register -e status || true)
    if [ -n "$others" ]; then
      log "binfmt_misc: left mounted, other entries appeared meanwhile: $(echo $others)"
    elif umount "$BINFMT"; then
      log "binfmt_misc: unmounted"
    else
      log "ERROR: could not unmount $BINFMT"; RESTORE_FAILED=1
    fi
    MOUNTED_BINFMT=0
  fi
}

stop_prefix() {  # ends every Wine process of prefix $1 (our own prefixes only)
  [ -d "$1" ] || return 0
  WINEPREFIX=$1 timeout 30 "$SERVER" -k >/dev/null 2>&1 || true
}

# After the machine is restored: an i386 program must start, or not, as before the run, and
# wine64 must start a 64-bit program as fast as before.
post_check() {
  local out t state
  state=$(i386_state)
  if [ "$state" = "$I386_BEFORE" ]; then pass "machine: the i386 Wine loader $state, as before the run"
  else fail "machine: the i386 Wine loader $state now, but $I386_BEFORE before the run"; RESTORE_FAILED=1; fi

  (
    export WINEPREFIX=$PREFIX64 WINEDEBUG=-all LANG=C.UTF-8
    export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
    export XDG_CONFIG_HOME=$CACHE/xdg/config XDG_DATA_HOME=$CACHE/xdg/data XDG_CACHE_HOME=$CACHE/xdg/cache
    unset DISPLAY QEMU_LD_PREFIX FONTCONFIG_FILE WINEARCH
    if [ ! -f "$PREFIX64/.smoke-x86-ok" ]; then
      rm -rf "$PREFIX64"
      timeout 180 capsh --drop=cap_sys_time -- -c "$WINE64 wineboot -i" >"$RUN/wineboot64.log" 2>&1 || true
      timeout 120 "$WINESERVER64" -w || true
      [ -f "$PREFIX64/system.reg" ] && touch "$PREFIX64/.smoke-x86-ok"
    fi
    t=$(date +%s%N)
    out=$(cd "$TOOLS" && timeout 90 capsh --drop=cap_sys_time -- -c "$WINE64 ./hello64.exe" 2>>"$RUN/hello64.log") || true
    t=$(( ($(date +%s%N) - t) / 1000000 ))
    timeout 30 "$WINESERVER64" -w || true
    echo "$(printf '%s' "$out" | tr -d '\r')|$t"
  ) > "$RUN/post64.txt" 2>&1 || true
  out=$(tail -1 "$RUN/post64.txt")
  t=${out##*|}
  if [ "${out%%|*}" = "hello64 ok" ] && [ "${t:-99999}" -lt 30000 ] 2>/dev/null; then
    pass "machine: $WINE64 runs a 64-bit exe in ${t} ms"
  else
    fail "machine: $WINE64 did not run a 64-bit exe within 30 s (output '${out%%|*}', ${t} ms)"
    RESTORE_FAILED=1
  fi
}

cleanup() {
  [ "$CLEANED" = 1 ] && return
  CLEANED=1
  set +e
  trap '' INT TERM HUP
  if alive "$CHILD"; then kill -TERM "$CHILD" 2>/dev/null; wait_gone "$CHILD" 10 || kill -KILL "$CHILD" 2>/dev/null; fi
  # Our Wine processes: the run prefix and, if making it was interrupted, the template.
  stop_prefix "$PFX"
  stop_prefix "$TEMPLATE.new"
  if alive "$SERVER_PID"; then wait_gone "$SERVER_PID" 10 || kill -KILL "$SERVER_PID"; fi
  if alive "$ZEP_PID"; then kill -KILL "$ZEP_PID"; fi
  # Whatever is left in our namespace (e.g. a process that was still starting and had not
  # reached the wineserver yet). SIGKILL at once: an emulated process whose main thread has
  # gone no longer shows up in "ip netns pids", while its other threads would live on.
  if [ "$NS_MADE" = 1 ]; then
    local p _
    for _ in 1 2 3 4 5; do
      p=$(ip netns pids "$NS" 2>/dev/null)
      [ -z "$p" ] && break
      kill -KILL $p 2>/dev/null
      sleep 0.5
    done
  fi
  binfmt_restore
  if [ "$INTERRUPTED" = 0 ] && [ -n "$I386_BEFORE" ] && [ -f "$TOOLS/hello64.exe" ]; then
    post_check
  fi
  if [ "$NS_MADE" = 1 ]; then
    ip netns del "$NS" && log "network namespace $NS removed" || RESTORE_FAILED=1
    NS_MADE=0
  fi
  if alive "$XVFB_PID"; then kill -TERM "$XVFB_PID"; wait_gone "$XVFB_PID" 10 || kill -KILL "$XVFB_PID"; fi
  if [ "$KEEP" = 0 ] && [ -d "$PFX" ]; then rm -rf "$PFX"; fi
  rm -rf "$TEMPLATE.new"
  # What this run changed on the machine must be gone now.
  if [ -n "$(ls "$BINFMT" 2>/dev/null | grep -x "$BINFMT_NAME")" ]; then RESTORE_FAILED=1; fi
  if ip netns list 2>/dev/null | grep -q "^$NS\b"; then RESTORE_FAILED=1; fi

  echo
  echo "==== smoke-x86 summary ($(( $(date +%s) - T0 )) s) ===="
  local r
  for r in "${RESULTS[@]}"; do echo "  $r"; done
  if [ "$RESTORE_FAILED" = 1 ]; then echo "  machine restore: FAILED (see the log above)"
  else echo "  machine restore: ok"; fi
  if [ "$INTERRUPTED" = 1 ]; then echo "smoke-x86: INTERRUPTED"
  elif [ "$FAILED" = 0 ] && [ "$RESTORE_FAILED" = 0 ] && [ ${#RESULTS[@]} -gt 0 ]; then
    echo "smoke-x86: PASS ($(grep -c . <<<"$(printf '%s\n' "${RESULTS[@]}")") checks)"
  else echo "smoke-x86: FAIL"; fi
}

on_exit() {
  local rc=$?
  cleanup
  if [ "$INTERRUPTED" = 1 ]; then exit 130; fi
  if [ "$rc" != 0 ] || [ "$FAILED" != 0 ] || [ "$RESTORE_FAILED" != 0 ] || [ ${#RESULTS[@]} = 0 ]; then
    [ "$rc" = 0 ] && rc=1
    exit "$rc"
  fi
  exit 0
}
on_signal() { trap '' INT TERM HUP; INTERRUPTED=1; log "interrupted by $1, cleaning up"; exit 130; }
trap on_exit EXIT
trap 'on_signal INT' INT
trap 'on_signal TERM' TERM
trap 'on_signal HUP' HUP

# ---------------------------------------------------------------------------------------
[ "$(id -u)" = 0 ] || die "run as root (binfmt_misc, network namespace, apt)"
mkdir -p "$CACHE" "$TOOLS" "$CACHE/xdg"
exec 9> "$CACHE/.lock"
flock -n 9 || die "another smoke-x86 run is using $CACHE"
rm -rf "$RUN"
mkdir -p "$RUN"

install_host_packages() {
  local missing=() p
  for p in "${HOST_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} = 0 ] && return 0
  log "installing host packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update_patiently bgrun timeout 600 apt-get update -qq
  bgrun timeout 1200 apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_zep() {
  if [ "$DO_BUILD" = 0 ]; then return 0; fi
  cd "$REPO"
  if [ ! -f build/w32/CMakeCache.txt ]; then
    log "configuring build/w32"
    bgrun -o "$RUN/cmake-configure.log" timeout 600 cmake -S . -B build/w32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
      -DCMAKE_BUILD_TYPE=Release \
      || { tail -20 "$RUN/cmake-configure.log"; die "cmake configure failed"; }
  fi
  log "building zep.exe, setup.exe and the package (build/w32)"
  bgrun -o "$RUN/cmake-build.log" timeout 2400 cmake --build build/w32 -j2 --target zep setup \
    || { tail -30 "$RUN/cmake-build.log"; die "build of zep.exe and setup.exe failed"; }
  (cd build/w32 && cpack -G ZIP >/dev/null) || die "packaging (cpack) failed"
}

# The i386 Wine (and qemu when it is needed), then how it runs here.
prepare_runtime() {
  local opts=()
  [ "$REFRESH" = 1 ] && opts+=(--refresh)
  bgrun "$WINE32_SH" prepare "${opts[@]}" || die "scripts/wine32.sh prepare failed"
  I386_BEFORE=$(i386_state)
  local why
  if [ "$FORCE_QEMU" = 0 ] && why=$("$WINE32_SH" native); then
    MODE=native
    SERVER=$ROOT/usr/lib/wine/wineserver32
    log "32-bit Wine: runs natively here"
  else
    MODE=qemu
    SERVER=$WINESERVER64
    [ "$FORCE_QEMU" = 1 ] && why="--qemu"
    log "32-bit Wine: through qemu ($why)"
    bgrun "$WINE32_SH" prepare --qemu "${opts[@]}" || die "scripts/wine32.sh prepare --qemu failed"
  fi
}

build_tools() {
  local src=$REPO/scripts/smoke-x86/wincheck.c
  if [ ! -f "$TOOLS/wincheck.exe" ] || [ "$src" -nt "$TOOLS/wincheck.exe" ]; then
    i686-w64-mingw32-gcc -O2 -Wall -Wextra -municode -static -o "$TOOLS/wincheck.exe" "$src"
  fi
  if [ ! -f "$TOOLS/hello64.exe" ]; then
    printf '#include <stdio.h>\nint main(void) { puts("hello64 ok"); return 0; }\n' > "$TOOLS/hello64.c"
    x86_64-w64-mingw32-gcc -O2 -static -o "$TOOLS/hello64.exe" "$TOOLS/hello64.c"
  fi
}

binfmt_enable() {
  if ! mountpoint -q "$BINFMT"; then
    MOUNTED_BINFMT=1
    mount -t binfmt_misc binfmt_misc "$BINFMT" || { MOUNTED_BINFMT=0; die "cannot mount $BINFMT"; }
    log "binfmt_misc: mounted $BINFMT"
  fi
  if [ "$(cat "$BINFMT/status")" != enabled ]; then
    BINFMT_WAS_DISABLED=1
    echo 1 > "$BINFMT/status"
  fi
  local others
  others=$(ls "$BINFMT" | grep -v -x -e register -e status || true)
  [ -n "$others" ] && log "binfmt_misc: entries already there (left alone): $(echo $others)"
  # i386 ELF executables and shared objects; F: the kernel opens qemu now, so it also works
  # inside the namespace's mount namespace.
  REGISTERED=1
  printf ':%s:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:%s:F' \
    "$BINFMT_NAME" "$QEMU" > "$BINFMT/register" || { REGISTERED=0; die "binfmt_misc registration failed"; }
  grep -q '^flags: F' "$BINFMT/$BINFMT_NAME" || die "binfmt_misc entry without the F flag"
  log "binfmt_misc: registered $BINFMT_NAME -> $QEMU"
  local v
  v=$(QEMU_LD_PREFIX=$ROOT timeout 60 "$WINE32" --version) || true
  [[ "$v" == wine-* ]] || die "the i386 Wine loader does not start through qemu"
}

start_xvfb() {
  local n
  for _ in $(seq 1 20); do
    n=$((400 + RANDOM % 500))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset > "$RUN/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 50); do
      alive "$XVFB_PID" || break
      if xdpyinfo -display ":$n" > /dev/null 2>&1; then
        # Still ours? (another server may have won the display number)
        sleep 0.3
        if alive "$XVFB_PID"; then export DISPLAY=":$n"; log "Xvfb :$n (pid $XVFB_PID)"; return 0; fi
        break
      fi
      sleep 0.1
    done
    alive "$XVFB_PID" && kill "$XVFB_PID"
    XVFB_PID=""
  done
  die "could not start an Xvfb"
}

make_ns() {
  ip netns add "$NS" || die "ip netns add $NS failed"
  NS_MADE=1
  ip -n "$NS" link set lo up
  log "network namespace $NS"
}

make_template() {
  if [ "$REFRESH" = 0 ] && [ -f "$TEMPLATE/.smoke-x86-ok" ] \
     && [ "$(cat "$TEMPLATE/.smoke-x86-ok")" = "$(head -2 "$ROOT/.wine32-stamp" | tr '\n' ' ')" ]; then
    log "32-bit prefix: cached ($TEMPLATE)"
    return 0
  fi
  log "32-bit prefix: wineboot ($MODE; through qemu about half a minute)"
  rm -rf "$TEMPLATE" "$TEMPLATE.new"
  local t
  t=$(date +%s)
  wine32_env "$TEMPLATE.new"
  bgrun -o "$RUN/wineboot.log" timeout 900 ip netns exec "$NS" capsh --drop=cap_sys_time -- -c "exec '$WINE32' wineboot -i" \
    || echo "wineboot exited with $?" >> "$RUN/wineboot.log"
  # The boot goes on in services and explorer after the first process is gone.
  bgrun timeout 900 "$SERVER" -w || echo "wineserver -w: $?" >> "$RUN/wineboot.log"
  stop_prefix "$TEMPLATE.new"
  if [ ! -f "$TEMPLATE.new/drive_c/windows/system32/kernel32.dll" ] \
     || ! grep -q '^#arch=win32' "$TEMPLATE.new/system.reg"; then
    tail -20 "$RUN/wineboot.log"
    die "wineboot did not make a 32-bit prefix"
  fi
  head -2 "$ROOT/.wine32-stamp" | tr '\n' ' ' > "$TEMPLATE.new/.smoke-x86-ok"
  mv "$TEMPLATE.new" "$TEMPLATE"
  log "32-bit prefix: made in $(( $(date +%s) - t )) s ($(du -sh "$TEMPLATE" | cut -f1))"
}

# ---------------------------------------------------------------------------------------
install_host_packages
build_zep
[ -f "$ZEP_SRC" ] || die "no $ZEP_SRC (build/w32 not built?)"
i686-w64-mingw32-objdump -f "$ZEP_SRC" | grep -q 'file format pei-i386' \
  || die "$ZEP_SRC is not a 32-bit Windows executable"
log "testing $ZEP_SRC ($(stat -c %s "$ZEP_SRC") bytes, $(date -r "$ZEP_SRC" '+%F %T'))"
prepare_runtime
build_tools
[ "$MODE" = qemu ] && binfmt_enable
start_xvfb
make_ns
make_template

# A fresh copy of the prefix and a fresh folder in it for this run.
cp -a "$TEMPLATE" "$PFX"
APPDIR_WIN='C:\zep-smoke'
APPDIR=$PFX/drive_c/zep-smoke
mkdir -p "$APPDIR" "$PFX/drive_c/smoke-tools"
cp "$ZEP_SRC" "$APPDIR/zep.exe"
cp "$TOOLS/wincheck.exe" "$PFX/drive_c/smoke-tools/"
[ -e "$APPDIR/zep.ini" ] && die "zep.ini exists before the start"
wine32_env "$PFX"

# One persistent wineserver for the run, started inside the namespace so that zep's UDP
# sockets (made by the server) live there.
ip netns exec "$NS" capsh --drop=cap_sys_time -- -c "exec '$SERVER' -f -p" > "$RUN/wineserver.log" 2>&1 &
SERVER_PID=$!
sleep 0.5
alive "$SERVER_PID" || die "wineserver did not start"

# Boot the Wine session (services, plug and play, ...) before zep, as a desktop would be.
t=$(date +%s)
rc=0
bgrun -o "$RUN/prewarm.log" timeout 300 ip netns exec "$NS" capsh --drop=cap_sys_time -- \
  -c "cd '$PFX/drive_c/smoke-tools' && exec '$WINE32' wincheck.exe gone NoSuchWindowClass 0" \
  || rc=$?
[ "$rc" = 0 ] || { cat "$RUN/prewarm.log"; die "a first 32-bit program did not run in the prefix (rc $rc)"; }
log "Wine session booted in $(( $(date +%s) - t )) s"

# ---- start zep ----
log "starting zep.exe in $APPDIR_WIN"
T_START=$(date +%s)
ip netns exec "$NS" capsh --drop=cap_sys_time -- -c "cd '$APPDIR' && exec '$WINE32' zep.exe" \
  > "$RUN/zep.log" 2>&1 &
ZEP_PID=$!   # after the execs this is the process of zep.exe itself

TRAY=""
deadline=$(( T_START + 180 ))
while [ "$(date +%s)" -lt "$deadline" ]; do
  TRAY=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1 || true)
  [ -n "$TRAY" ] && break
  alive "$ZEP_PID" || break
  sleep 0.5
done
if [ -n "$TRAY" ]; then
  pass "tray: window 'Wine System Tray' appeared $(( $(date +%s) - T_START )) s after the start"
else
  if alive "$ZEP_PID"; then fail "tray: no 'Wine System Tray' window within 180 s"
  else fail "tray: zep.exe ended before showing a tray icon (log: $RUN/zep.log)"; fi
fi

# The controller window, found by class the way a second copy finds it.
rc=0
bgrun -o "$RUN/wincheck-find.log" timeout 180 ip netns exec "$NS" capsh --drop=cap_sys_time -- \
  -c "cd '$PFX/drive_c/smoke-tools' && exec '$WINE32' wincheck.exe find TZEPHiddenForm 60000" \
  || rc=$?
if [ "$rc" = 0 ] && grep -q '^FOUND class=TZEPHiddenForm' "$RUN/wincheck-find.log"; then
  pass "window: $(grep '^FOUND' "$RUN/wincheck-find.log" | tr -d '\r')"
else
  fail "window: no top-level window of class TZEPHiddenForm (rc $rc: $(tr -d '\r' < "$RUN/wincheck-find.log" | tail -1))"
fi

# Screenshot; the icon must really be drawn at the left end of the tray window.
sleep 2
SHOT=$CACHE/screen-running.png
rm -f "$SHOT"
timeout 60 import -window root "$SHOT" || true
if [ -s "$SHOT" ]; then
  log "screenshot: $SHOT"
  if [ -n "$TRAY" ]; then
    eval "$(xdotool getwindowgeometry --shell "$TRAY")"   # X Y WIDTH HEIGHT
    colours=$(convert "$SHOT" -crop "${HEIGHT}x${HEIGHT}+${X}+${Y}" +repage -format %k info: 2>/dev/null || echo 0)
    # An empty cell of the tray window is one flat colour.
    if [ "${colours:-0}" -gt 2 ]; then
      pass "tray: icon drawn at ${X},${Y} (${colours} colours in its ${HEIGHT}x${HEIGHT} cell)"
    else
      fail "tray: the tray window at ${X},${Y} shows no icon (${colours} colours)"
    fi
  fi
else
  fail "screenshot: import failed"
fi

# Windows on the screen besides the tray, for the log (a fresh folder has no settings, so
# zep greets with its information box "情報").
for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null || true); do
  name=$(xdotool getwindowname "$w" 2>/dev/null || true)
  [ -n "$name" ] && [ "$name" != 'Wine System Tray' ] && log "on screen: window '$name'"
done

# ---- zep.exe -quit ----
if alive "$ZEP_PID"; then
  log "starting zep.exe -quit"
  T_QUIT=$(date +%s)
  rc=0
  bgrun -o "$RUN/zep-quit.log" timeout 180 ip netns exec "$NS" capsh --drop=cap_sys_time -- -c "cd '$APPDIR' && exec '$WINE32' zep.exe -quit" \
    || rc=$?
  QUIT_SECS=$(( $(date +%s) - T_QUIT ))
  if [ "$rc" = 0 ]; then pass "quit: 'zep.exe -quit' exited with 0 after ${QUIT_SECS} s"
  elif [ "$rc" = 124 ]; then fail "quit: 'zep.exe -quit' still running after 180 s"
  else fail "quit: 'zep.exe -quit' exited with $rc"; fi
  left=$(( T_QUIT + 180 - $(date +%s) )); [ "$left" -lt 5 ] && left=5
  if wait_gone "$ZEP_PID" "$left"; then
    pass "quit: the running zep.exe ended $(( $(date +%s) - T_QUIT )) s after the quit request"
  else
    fail "quit: the running zep.exe was still there 180 s after the quit request"
  fi
  timeout 60 import -window root "$CACHE/screen-after-quit.png" || true
else
  fail "quit: zep.exe was not running any more before the quit request"
fi
alive "$ZEP_PID" || wait "$ZEP_PID" 2>/dev/null || true

# ---- zep.ini ----
if [ -f "$APPDIR/zep.ini" ]; then
  cp "$APPDIR/zep.ini" "$CACHE/zep.ini"
  if tr -d '\r' < "$APPDIR/zep.ini" | grep -q -x '\[ZEP\]'; then
    pass "zep.ini: written beside zep.exe with a [ZEP] section ($(grep -c '=' "$APPDIR/zep.ini") keys, copy in $CACHE/zep.ini)"
  else
    fail "zep.ini: written but without a [ZEP] section"
  fi
else
  fail "zep.ini: not written beside zep.exe"
fi
ls -la "$APPDIR" > "$RUN/appdir.txt" 2>&1 || true

# ---- setup: the x86 package installed, zep started from it, removed ----
PKG_ZIP=$(ls "$REPO"/build/w32/zep-*-x86.zip 2>/dev/null | tail -1 || true)
wincheck() {  # log-name args...: the helper inside the namespace, its status
  local name=$1; shift
  bgrun -o "$RUN/$name.log" timeout 300 ip netns exec "$NS" capsh --drop=cap_sys_time -- \
    -c "cd '$PFX/drive_c/smoke-tools' && exec '$WINE32' wincheck.exe $*"
}
in_prefix() {  # log-name folder program args...: a program of the prefix run to its end (300 s at most)
  local name=$1 folder=$2; shift 2
  bgrun -o "$RUN/$name.log" timeout 300 ip netns exec "$NS" capsh --drop=cap_sys_time -- \
    -c "cd '$folder' && exec '$WINE32' $*"
}
if [ -z "$PKG_ZIP" ]; then
  fail "setup: no x86 package (build/w32/zep-*-x86.zip; scripts/build.sh makes it)"
else
  PKG=$PFX/drive_c/pkg
  rm -rf "$PKG" && mkdir -p "$PKG" && unzip -q "$PKG_ZIP" -d "$PKG"
  PKGDIR=$(ls -d "$PKG"/zep-*)
  # No one clicks here: the run goes by itself.
  python3 - "$PKGDIR/Setup.ini" <<'PY'
import sys
path = sys.argv[1]
text = open(path, "rb").read().decode("cp932")
open(path, "wb").write(text.replace("[Setup]\r\n", "[Setup]\r\nAuto=1\r\n", 1).encode("cp932"))
PY
  # Installed for the user alone, into the user's own program folder (the local application data's
  # Programs: Wine knows no FOLDERID_UserProgramFiles).
  WIN_USER=$(ls "$PFX/drive_c/users" | grep -vx Public | head -1)
  INSTALLED_WIN="C:\\users\\$WIN_USER\\AppData\\Local\\Programs\\ZEP!"
  INSTALLED=$PFX/drive_c/users/$WIN_USER/AppData/Local/Programs/ZEP!
  log "installing $(basename "$PKG_ZIP") with its setup.exe"
  T_SETUP=$(date +%s)
  rc=0; in_prefix setup-install "$PKGDIR" setup.exe || rc=$?
  if [ "$rc" = 0 ] && [ -f "$INSTALLED/zep.exe" ]; then
    pass "setup: installed into $INSTALLED_WIN in $(( $(date +%s) - T_SETUP )) s: $(ls "$INSTALLED" | tr '\n' ' ')"
  else
    fail "setup: the installation ended with $rc and no $INSTALLED_WIN\\zep.exe"
  fi
  record=$(tr -d '\r' < "$INSTALLED/Setup.ini" 2>/dev/null | awk '/^\[CopiedFile\]/{on=1;next} /^\[/{on=0} on' | tr '\n' ' ')
  if [[ "$record" == *"0=$INSTALLED_WIN\\zep.exe"*"1=$INSTALLED_WIN\\zep.txt"*'Count=4'* ]]; then
    pass "setup: the install record in $INSTALLED_WIN\\Setup.ini: $record"
  else
    fail "setup: the install record is not as expected: $record"
  fi
  rc=0; wincheck setup-zep-find find TZEPHiddenForm 120000 || rc=$?
  if [ "$rc" = 0 ]; then pass "setup: its last step started zep from the Start menu"
  else fail "setup: no zep started by setup's last step"; fi
  rc=0; in_prefix setup-zep-quit "$INSTALLED" zep.exe -quit || rc=$?
  rc2=0; wincheck setup-zep-gone gone TZEPHiddenForm 120000 || rc2=$?
  if [ "$rc" = 0 ] && [ "$rc2" = 0 ]; then pass "setup: the installed zep quit"
  else fail "setup: the installed zep did not quit ($rc, $rc2)"; fi
  log "removing it with 'Setup.exe uninstall'"
  T_REMOVE=$(date +%s)
  rc=0; in_prefix setup-remove "$INSTALLED" Setup.exe uninstall || rc=$?
  deadline=$(( $(date +%s) + 120 ))
  while [ -d "$INSTALLED" ] && [ "$(date +%s)" -lt "$deadline" ]; do sleep 1; done
  if [ "$rc" = 0 ] && [ ! -d "$INSTALLED" ]; then
    pass "setup: removed, install folder gone $(( $(date +%s) - T_REMOVE )) s after the start of the removal"
  else
    fail "setup: removal ended with $rc; left in $INSTALLED_WIN: $(ls "$INSTALLED" 2>/dev/null | tr '\n' ' ')"
  fi
fi
