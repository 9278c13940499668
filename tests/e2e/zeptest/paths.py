"""Where things are. Every path can be moved with an environment variable."""

import os
from pathlib import Path

REPO = Path(__file__).resolve().parents[3]

WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


def _path(var, default):
    value = os.environ.get(var)
    p = Path(value) if value else Path(default)
    return p if p.is_absolute() else REPO / p


def build_w64():
    """The x86-64 Windows build (ZEP_BUILD_W64, default build/w64)."""
    return _path("ZEP_BUILD_W64", "build/w64")


def e2e_dir():
    """Cached template prefix, locale, per-run host prefixes (ZEP_E2E_DIR, default build/e2e)."""
    return _path("ZEP_E2E_DIR", "build/e2e")


def artifacts_root():
    """Screenshots and logs of each test (ZEP_E2E_ARTIFACTS, default build/e2e/artifacts)."""
    return _path("ZEP_E2E_ARTIFACTS", e2e_dir() / "artifacts")


def probe_exe():
    """ZEP_PROBE, default <build>/tests/e2e/probe/probe.exe."""
    return _path("ZEP_PROBE", build_w64() / "tests/e2e/probe/probe.exe")


def zep_exe():
    """ZEP_EXE, default <build>/zep/zep.exe."""
    return _path("ZEP_EXE", build_w64() / "zep/zep.exe")


def setup_exe():
    """ZEP_SETUP_EXE, default <build>/setup/setup.exe."""
    return _path("ZEP_SETUP_EXE", build_w64() / "setup/setup.exe")


def build_hint(target):
    return (
        f"build it: cmake -S . -B {build_w64()} -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake "
        f"-DCMAKE_BUILD_TYPE=Release && cmake --build {build_w64()} --target {target}"
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
