#!/usr/bin/env bash
# The 32-bit Wine that runs the x86 build, kept privately under build/wine32/.
#
# Debian's i386 Wine (wine32 and the i386 libraries it needs) is resolved and downloaded with apt
# using a private state directory and unpacked with dpkg-deb -x: the machine's dpkg database, its
# architectures and its package set are not touched (installing wine32:i386 for real would add the
# i386 architecture and pin dozens of amd64 libraries to the versions the i386 ones need).
#
# Two ways to run it:
#   - natively, where the kernel runs 32-bit programs: the i386 loader and wineserver are started
#     directly, with the machine's 32-bit C library (libc6-i386, an amd64 package that
#     scripts/bootstrap.sh installs) and the unpacked libraries (see "env");
#   - through qemu user emulation, where it does not (--qemu also unpacks qemu-i386 from
#     bookworm-backports: bookworm's qemu 7.2 never finishes booting a Wine session);
#     scripts/smoke-x86.sh registers it with binfmt_misc only while it runs.
#
# Usage: scripts/wine32.sh prepare [--qemu] [--refresh]
#            download and unpack what is missing (cached; --refresh: again)
#        scripts/wine32.sh native
#            exit 0 when this machine runs the unpacked 32-bit Wine natively; else print why not
#            and exit 1
#        scripts/wine32.sh env
#            the variables of a native 32-bit Wine process, one NAME=VALUE a line
#        scripts/wine32.sh root | qemu
#            the folder of the unpacked i386 tree, the path of qemu-i386
# ZEP_WINE32_DIR moves build/wine32.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
. "$REPO/scripts/apt_update.sh"
CACHE=${ZEP_WINE32_DIR:-$REPO/build/wine32}
case "$CACHE" in /*) ;; *) CACHE=$REPO/$CACHE ;; esac
APTDIR=$CACHE/apt
ROOT=$CACHE/i386-root
QEMUDIR=$CACHE/qemu
QEMU=$QEMUDIR/usr/bin/qemu-i386
STAMP=$ROOT/.wine32-stamp
WINE32=$ROOT/usr/lib/wine/wine
WINESERVER32=$ROOT/usr/lib/wine/wineserver32
# Bump when the way the tree is put together changes: it is then made again.
RECIPE=5

# Wine and the X libraries winex11 loads at run time (libwine only recommends them).
I386_PACKAGES=(wine32 libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2
               libxrender1 libxxf86vm1)

log() { printf '[wine32] %s\n' "$*" >&2; }
die() { log "ERROR: $*"; exit 1; }

native_env() {
  # The machine's 32-bit C library first: the kernel starts the loader with the machine's
  # /lib/ld-linux.so.2, which must find the C library of its own version.
  echo "LD_LIBRARY_PATH=/lib32:/usr/lib32:$ROOT/usr/lib/i386-linux-gnu:$ROOT/lib/i386-linux-gnu"
  echo "WINELOADER=$WINE32"
  echo "WINESERVER=$WINESERVER32"
  echo "WINEARCH=win32"
  # i386 fontconfig keeps its own caches (their format differs from the 64-bit ones) here, not
  # in the machine's /var/cache/fontconfig.
  echo "FONTCONFIG_FILE=$CACHE/fonts-i386.conf"
}

# Private apt: its own lists, cache and an empty dpkg status, so that it resolves the whole
# i386 closure of wine32 without looking at (or locking) the machine's package database.
APT_OPTS=()
apt_setup() {
  mkdir -p "$APTDIR"/{lists/partial,cache/archives/partial,state,sources.list.d,debs-host}
  : > "$APTDIR/state/status"
  cat > "$APTDIR/sources.list.d/debian.sources" <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  APT_OPTS=(-o "Dir::State=$APTDIR/state" -o "Dir::State::status=$APTDIR/state/status"
            -o "Dir::State::Lists=$APTDIR/lists" -o "Dir::Cache=$APTDIR/cache"
            -o "Dir::Etc::sourcelist=/dev/null" -o "Dir::Etc::sourceparts=$APTDIR/sources.list.d"
            -o "APT::Architectures::=amd64" -o "APT::Architectures::=i386"
            -o "APT::Get::List-Cleanup=0")
  apt_update_patiently timeout 600 apt-get "${APT_OPTS[@]}" -o APT::Architecture=i386 update \
    > "$CACHE/apt-update.log" 2>&1
  grep -q '^E:' "$CACHE/apt-update.log" && tail -20 "$CACHE/apt-update.log" >&2
  ls "$APTDIR"/lists/*_bookworm_main_binary-i386_Packages* > /dev/null 2>&1 \
    || die "apt-get update (private) did not fetch bookworm's i386 package list"
}

root_ready() {
  [ -f "$STAMP" ] && [ -x "$WINE32" ] && [ "$(head -1 "$STAMP")" = "recipe $RECIPE" ]
}

make_root() {
  log "i386 Wine: resolving and downloading (private apt state in $APTDIR)"
  rm -f "$APTDIR"/cache/archives/*.deb
  timeout 1200 apt-get "${APT_OPTS[@]}" -o APT::Architecture=i386 install -y -q --download-only \
    --no-install-recommends "${I386_PACKAGES[@]}" > "$CACHE/apt-i386.log" 2>&1 \
    || { tail -20 "$CACHE/apt-i386.log" >&2; die "download of the i386 packages failed"; }
  log "i386 Wine: unpacking $(ls "$APTDIR"/cache/archives/*.deb | wc -l) packages"
  rm -rf "$ROOT.new"
  mkdir -p "$ROOT.new"
  local d
  for d in "$APTDIR"/cache/archives/*.deb; do dpkg-deb -x "$d" "$ROOT.new"; done
  [ -x "$ROOT.new/usr/lib/wine/wine" ] || die "wine32 did not unpack"

  # What the packages' maintainer scripts would have done, as far as Wine needs it:
  # libwine's postinst makes zlib1.dll a builtin DLL from libz-mingw-w64.
  local m in out
  for m in i686:i386 x86_64:x86_64; do
    in=$ROOT.new/usr/${m%%:*}-w64-mingw32/lib/zlib1.dll
    out=$ROOT.new/usr/lib/i386-linux-gnu/wine/${m##*:}-windows/zlib1.dll
    [ -f "$in" ] && [ -d "$(dirname "$out")" ] || continue
    { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } > "$out"
  done
  # Library search cache for the i386 ld.so under qemu (else it reads the machine's 64-bit one).
  echo 'include /etc/ld.so.conf.d/*.conf' > "$ROOT.new/etc/ld.so.conf"
  ldconfig -r "$ROOT.new"
  # Under qemu a path is looked up in the root first: drop what must come from the machine
  # instead (fonts and their configuration) and what nobody reads.
  rm -rf "$ROOT.new"/etc/fonts "$ROOT.new"/usr/share/fonts "$ROOT.new"/var/cache/fontconfig \
         "$ROOT.new"/usr/share/{doc,man,locale,lintian,bug,bash-completion}
  for d in tmp dev proc sys run home root; do
    [ -e "$ROOT.new/$d" ] && die "unexpected /$d in the i386 root"
  done
  {
    echo "recipe $RECIPE"
    echo "wine $(dpkg-deb -f "$APTDIR"/cache/archives/wine32_*.deb Version)"
    ls "$APTDIR"/cache/archives/*.deb | xargs -n1 basename
  } > "$ROOT.new/.wine32-stamp"
  rm -rf "$ROOT"
  mv "$ROOT.new" "$ROOT"
  rm -f "$APTDIR"/cache/archives/*.deb   # the unpacked tree is the cache
  log "i386 Wine: ready in $ROOT ($(du -sh "$ROOT" | cut -f1), $(sed -n 2p "$STAMP"))"
}

make_qemu() {
  log "qemu-i386: downloading qemu-user from bookworm-backports"
  rm -f "$APTDIR"/debs-host/*.deb
  (cd "$APTDIR/debs-host" && timeout 600 apt-get "${APT_OPTS[@]}" -o APT::Architecture=amd64 \
    download qemu-user/bookworm-backports) > "$CACHE/apt-qemu.log" 2>&1 \
    || { tail -20 "$CACHE/apt-qemu.log" >&2; die "download of qemu-user (bookworm-backports) failed"; }
  rm -rf "$QEMUDIR.new"
  mkdir -p "$QEMUDIR.new"
  dpkg-deb -x "$APTDIR"/debs-host/qemu-user_*.deb "$QEMUDIR.new"
  [ -x "$QEMUDIR.new/usr/bin/qemu-i386" ] || die "qemu-i386 did not unpack"
  find "$QEMUDIR.new/usr/bin" -mindepth 1 ! -name qemu-i386 -delete   # the other targets: 360 MB
  rm -rf "$QEMUDIR.new/usr/share" "$QEMUDIR"
  mv "$QEMUDIR.new" "$QEMUDIR"
  rm -f "$APTDIR"/debs-host/*.deb
  log "qemu-i386: ready ($("$QEMU" --version | head -1))"
}

write_fonts_conf() {
  cat > "$CACHE/fonts-i386.conf.new" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <cachedir>$CACHE/fontconfig-i386</cachedir>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
</fontconfig>
EOF
  mv "$CACHE/fonts-i386.conf.new" "$CACHE/fonts-i386.conf"
}

prepare() {
  local qemu=0 refresh=0 a
  for a in "$@"; do
    case "$a" in
      --qemu) qemu=1 ;;
      --refresh) refresh=1 ;;
      *) die "prepare: unknown option $a" ;;
    esac
  done
  [ "$(id -u)" = 0 ] || die "run as root (apt-get download into build/)"
  mkdir -p "$CACHE"
  exec 9> "$CACHE/.lock"
  flock 9
  local fetched=0
  if [ "$refresh" = 1 ] || ! root_ready; then apt_setup; fetched=1; make_root
  else log "i386 Wine: cached ($(sed -n 2p "$STAMP"))"; fi
  if [ "$qemu" = 1 ]; then
    if [ "$refresh" = 1 ] || [ ! -x "$QEMU" ]; then [ "$fetched" = 1 ] || apt_setup; make_qemu
    else log "qemu-i386: cached ($("$QEMU" --version | head -1))"; fi
  fi
  write_fonts_conf
}

# Whether the kernel starts the i386 loader itself. An i386 entry of binfmt_misc (someone's
# emulator) would make the loader start, but not natively: that counts as "no".
native() {
  root_ready || { echo "the 32-bit Wine is not unpacked (scripts/wine32.sh prepare)"; return 1; }
  local f
  for f in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$f" ] && grep -q '^enabled' "$f" 2>/dev/null || continue
    if grep -q '^magic 7f454c4601010100000000000000000002000300' "$f"; then
      echo "i386 programs go through the binfmt_misc entry $(basename "$f") (emulation) on this machine"
      return 1
    fi
  done
  if [ ! -e /lib/ld-linux.so.2 ]; then
    echo "the machine's 32-bit C library is missing (/lib/ld-linux.so.2, package libc6-i386: scripts/bootstrap.sh)"
    return 1
  fi
  local out rc=0
  out=$(
    while IFS= read -r line; do export "${line?}"; done < <(native_env)
    timeout 30 "$WINE32" --version 2>&1
  ) || rc=$?
  if [[ "$out" == wine-* ]] && [ "$rc" = 0 ]; then return 0; fi
  if [[ "$out" == *"Exec format error"* ]] || [ "$rc" = 126 ]; then
    echo "the kernel does not run 32-bit (i386) programs (Exec format error)"
  else
    echo "the 32-bit Wine loader does not start (exit $rc: $(tail -1 <<<"$out"))"
  fi
  return 1
}

cmd=${1:-}
[ $# -gt 0 ] && shift
case "$cmd" in
  prepare) prepare "$@" ;;
  native) native ;;
  env) native_env ;;
  root) echo "$ROOT" ;;
  qemu) echo "$QEMU" ;;
  -h|--help|help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' ;;
  *) echo "usage: scripts/wine32.sh prepare [--qemu] [--refresh] | native | env | root | qemu" >&2; exit 2 ;;
esac
