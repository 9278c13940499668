"""The Japanese locale and the template Wine prefix that every host copies."""

import fcntl
import os
import shutil
import subprocess
import tempfile
import time
from contextlib import contextmanager
from pathlib import Path

from . import paths, proc

# Bump when the way the template is made changes; the cached one is then rebuilt.
TEMPLATE_VERSION = 4

# Japanese UI fonts mapped to the IPA fonts, so text is drawn proportionally like on Windows.
# "Managed"="N": with no window manager, Wine otherwise waits 2 s for one whenever a window is
# hidden (every dialog close); unmanaged windows also get Wine's own caption, which shows in
# screenshots.
TEMPLATE_REG = r"""Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"""

LANG = "ja_JP.UTF-8"

# Guard for every Wine program: no CAP_SYS_TIME in the effective or bounding set, so nothing
# it starts can set this machine's clock.
CAPSH = ["capsh", "--drop=cap_sys_time", "--", "-c"]


def guarded(argv, check_ns=None):
    """argv under the clock guard; with check_ns, refuse to run outside that network namespace."""
    script = 'exec "$@"'
    if check_ns:
        script = (
            f'[ "$(ip netns identify)" = "{check_ns}" ] || '
            f'{{ echo "zeptest: not in network namespace {check_ns}" >&2; exit 99; }}; ' + script
        )
    return [*CAPSH, script, "zeptest-guard", *map(str, argv)]


@contextmanager
def _locked(name):
    d = paths.e2e_dir()
    d.mkdir(parents=True, exist_ok=True)
    with open(d / f"{name}.lock", "w") as f:
        fcntl.flock(f, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(f, fcntl.LOCK_UN)


def locale_dir():
    """A private ja_JP.UTF-8 glibc locale (LOCPATH).

    Wine takes its code page from the Unix locale: without ja_JP.UTF-8 installed, setlocale fails,
    Wine falls back to en-US / code page 1252 and reads UTF-8 command-line arguments as ASCII.
    This machine has only C.UTF-8, so we compile ja_JP.UTF-8 ourselves instead of touching the system.
    """
    d = paths.e2e_dir() / "locale"
    if (d / LANG / "LC_CTYPE").exists():
        return d
    with _locked("locale"):
        if not (d / LANG / "LC_CTYPE").exists():
            d.mkdir(parents=True, exist_ok=True)
            tmp = d / f".{LANG}.{os.getpid()}"
            shutil.rmtree(tmp, ignore_errors=True)
            r = proc.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", tmp], check=False, timeout=120)
            if not (tmp / "LC_CTYPE").exists():
                raise RuntimeError(f"localedef ja_JP.UTF-8 failed: {r.stderr}")
            os.replace(tmp, d / LANG)
    return d


def wine_env(prefix, display=None, **extra):
    """Environment for Wine programs of `prefix`. Keys in `extra` override (e.g. WINEDEBUG)."""
    env = {
        k: v for k, v in os.environ.items() if not k.startswith(("LC_", "WINE")) and k not in ("LANG", "LANGUAGE")
    }
    env.update(
        WINEPREFIX=str(prefix),
        LANG=LANG,
        LOCPATH=str(locale_dir()),
        WINEDEBUG="-all",
        WINEDLLOVERRIDES="winemenubuilder.exe=d",
    )
    env.update(paths.wine_arch_env())
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    env.update({k: str(v) for k, v in extra.items()})
    return env


def _font_version():
    r = proc.run(["dpkg-query", "-W", "-f", "${Package} ${Version}", "fonts-ipafont-gothic"], check=False)
    return r.stdout.strip()


def template_stamp():
    return (
        f"zeptest template {TEMPLATE_VERSION} {paths.arch()}\n{paths.wine_version()}\n{_font_version()}\n"
        f"{TEMPLATE_REG}"
    )


def template_prefix():
    """The cached template prefix of the chosen architecture (build/e2e/template-prefix, or
    template-prefix-x86: a win32 prefix); made when missing or stale.

    Returns (path, seconds spent making it, 0 when the cache was used)."""
    tpl = paths.e2e_dir() / ("template-prefix-x86" if paths.is_x86() else "template-prefix")
    stamp = template_stamp()
    if _stamp_ok(tpl, stamp):
        return tpl, 0.0
    with _locked("template"):
        if _stamp_ok(tpl, stamp):
            return tpl, 0.0
        t0 = time.monotonic()
        new = tpl.with_name(f"{tpl.name}.new-{os.getpid()}")
        shutil.rmtree(new, ignore_errors=True)
        _make_prefix(new)
        (new / ".zeptest-stamp").write_text(stamp, encoding="utf-8")
        if tpl.exists():
            old = tpl.with_name(f"{tpl.name}.old-{os.getpid()}")
            os.replace(tpl, old)
            shutil.rmtree(old, ignore_errors=True)
        os.replace(new, tpl)
        return tpl, time.monotonic() - t0


def _stamp_ok(tpl, stamp):
    try:
        return (tpl / ".zeptest-stamp").read_text(encoding="utf-8") == stamp
    except OSError:
        return False


def _make_prefix(prefix):
    """wineboot -i, then the registry settings; in a fresh network namespace with no interfaces
    (unshare -n), under the clock guard. Waits for the prefix's wineserver to end, so the
    registry is on disk."""
    reg = Path(f"{prefix}.reg")
    reg.write_text(TEMPLATE_REG.replace("\n", "\r\n"), encoding="utf-16")  # BOM + UTF-16LE, as regedit writes
    script = (
        f'"{paths.wine()}" wineboot -i && "{paths.wine()}" regedit /S "$0" && "{paths.wineserver()}" -w'
    )
    # Debian's Wine puts the server socket in a mkdtemp() folder under TMPDIR and notes its name
    # in <prefix>/wineserver; the template must not carry that name to its copies.
    tmp = Path(tempfile.mkdtemp(prefix="zeptest-tpl-"))
    env = wine_env(prefix, TMPDIR=tmp)
    try:
        r = subprocess.run(
            ["unshare", "-n", *CAPSH, script, str(reg)],
            env=env,
            capture_output=True,
            timeout=300,
        )
    except subprocess.TimeoutExpired:
        subprocess.run([paths.wineserver(), "-k"], env=env, timeout=30)
        raise RuntimeError(f"making the Wine prefix {prefix} took over 300 s")
    finally:
        reg.unlink(missing_ok=True)
        shutil.rmtree(tmp, ignore_errors=True)
        (prefix / "wineserver").unlink(missing_ok=True)
    if r.returncode != 0:
        raise RuntimeError(f"making the Wine prefix {prefix} failed ({r.returncode}): {r.stderr.decode(errors='replace')}")
    user_reg = (prefix / "user.reg").read_text(encoding="utf-8", errors="replace")
    # Wine writes non-ASCII value names escaped: ＭＳ Ｐゴシック -> \xff2d\xff33 \xff30...
    if '"\\xff2d\\xff33 \\xff30' not in user_reg or '"Managed"="N"' not in user_reg:
        raise RuntimeError(f"registry settings missing from {prefix}/user.reg")
