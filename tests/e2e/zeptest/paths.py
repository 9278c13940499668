"""Where things are. Every path can be moved with an environment variable.

The build under test is one choice, `arch()`: ZEP_ARCH=x86-64 (the default) or x86, which
`pytest --arch` sets. Every exe a test runs comes from that build (`zep_exe()`, `setup_exe()`,
`probe_exe()`, `fixture()`), and every Wine program runs under the Wine of that architecture
(`wine()`, `wineserver()`, `wine_env()`), in a prefix of that architecture.
"""

import functools
import os
import subprocess
from dataclasses import dataclass
from pathlib import Path

REPO = Path(__file__).resolve().parents[3]


@dataclass(frozen=True)
class Arch:
    build: str  # default build folder
    toolchain: str


ARCHES = {
    "x86-64": Arch("build/w64", "cmake/mingw-x86_64.cmake"),
    "x86": Arch("build/w32", "cmake/mingw-i686.cmake"),
}

WINE64 = "/usr/lib/wine/wine64"
WINESERVER64 = "/usr/lib/wine/wineserver"
WINE32_SCRIPT = REPO / "scripts" / "wine32.sh"


def _path(var, default):
    value = os.environ.get(var)
    p = Path(value) if value else Path(default)
    return p if p.is_absolute() else REPO / p


def arch():
    """The build under test: ZEP_ARCH, "x86-64" (default) or "x86"."""
    value = os.environ.get("ZEP_ARCH") or "x86-64"
    if value not in ARCHES:
        raise ValueError(f"ZEP_ARCH={value}: not one of {', '.join(ARCHES)}")
    return value


def is_x86():
    return arch() == "x86"


def build_dir():
    """The Windows build under test (ZEP_BUILD; default build/w64, or build/w32 for x86)."""
    return _path("ZEP_BUILD", ARCHES[arch()].build)


def e2e_dir():
    """Cached template prefixes, locale, per-run host prefixes (ZEP_E2E_DIR, default build/e2e)."""
    return _path("ZEP_E2E_DIR", "build/e2e")


def artifacts_root():
    """Screenshots and logs of each test (ZEP_E2E_ARTIFACTS; default build/e2e/artifacts, or
    build/e2e/artifacts-x86 for x86)."""
    return _path("ZEP_E2E_ARTIFACTS", e2e_dir() / ("artifacts-x86" if is_x86() else "artifacts"))


def probe_exe():
    """ZEP_PROBE, default <build>/tests/e2e/probe/probe.exe."""
    return _path("ZEP_PROBE", build_dir() / "tests/e2e/probe/probe.exe")


def zep_exe():
    """ZEP_EXE, default <build>/zep/zep.exe."""
    return _path("ZEP_EXE", build_dir() / "zep/zep.exe")


def setup_exe():
    """ZEP_SETUP, default <build>/setup/setup.exe."""
    return _path("ZEP_SETUP", build_dir() / "setup/setup.exe")


def fixture(name):
    """A stand-in of the router maker's tools or library, <build>/tests/fixtures/<name>."""
    return build_dir() / "tests/fixtures" / name


# -- Wine of the chosen architecture


def wine32_dir():
    """The private 32-bit Wine (ZEP_WINE32_DIR, default build/wine32; scripts/wine32.sh makes it)."""
    return _path("ZEP_WINE32_DIR", "build/wine32")


def _wine32(*args):
    env = dict(os.environ, ZEP_WINE32_DIR=str(wine32_dir()))
    return subprocess.run(["bash", str(WINE32_SCRIPT), *args], env=env, capture_output=True, text=True, timeout=60)


@functools.cache
def _wine32_env(directory):
    r = _wine32("env")
    r.check_returncode()
    return dict(line.split("=", 1) for line in r.stdout.splitlines() if "=" in line)


def wine_arch_env():
    """Variables that select the Wine of the chosen architecture (none for x86-64)."""
    return _wine32_env(wine32_dir()) if is_x86() else {}


def wine():
    """The Wine loader that starts a program of the chosen architecture."""
    return wine_arch_env()["WINELOADER"] if is_x86() else WINE64


def wineserver():
    return wine_arch_env()["WINESERVER"] if is_x86() else WINESERVER64


def wine_missing():
    """Why Wine of the chosen architecture cannot run here, or None."""
    if not is_x86():
        missing = [p for p in (WINE64, WINESERVER64) if not Path(p).exists()]
        return f"missing {', '.join(missing)}: run scripts/bootstrap.sh" if missing else None
    r = _wine32("native")
    if r.returncode == 0:
        return None
    return f"the x86 build cannot run here: {r.stdout.strip() or r.stderr.strip()}"


def wine_version():
    """The stamp of the Wine in use (for cached prefixes)."""
    if not is_x86():
        r = subprocess.run(
            ["dpkg-query", "-W", "-f", "${Package} ${Version}\n", "wine64", "libwine"], capture_output=True, text=True
        )
        return r.stdout.strip()
    stamp = wine32_dir() / "i386-root/.wine32-stamp"
    return " ".join(stamp.read_text().splitlines()[:2]) if stamp.exists() else "no 32-bit Wine"


def build_hint(target):
    a = ARCHES[arch()]
    return (
        f"build it: cmake -S . -B {build_dir()} -DCMAKE_TOOLCHAIN_FILE={a.toolchain} "
        f"-DCMAKE_BUILD_TYPE=Release && cmake --build {build_dir()} --target {target}"
    )


def require_exe(path, target):
    """The exe at `path`, or skip the test saying how to build it.

    With ZEP_E2E_REQUIRE_BUILD=1 (CI) a missing exe fails the test instead.
    """
    import pytest

    path = Path(path)
    if path.is_file():
        return path
    message = f"{path} is not built; {build_hint(target)}"
    if os.environ.get("ZEP_E2E_REQUIRE_BUILD") == "1":
        pytest.fail(message)
    pytest.skip(message)
