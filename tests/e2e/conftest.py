"""Fixtures of the end-to-end tests: run with `/usr/bin/python3 -m pytest tests/e2e` as root."""

import os
import re
import shutil
import sys
import time
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

from zeptest import Display, Lan, namespaces, paths, proc  # noqa: E402
from zeptest.net import run_tag  # noqa: E402
from zeptest.wine import template_prefix  # noqa: E402

_timings = []


def pytest_addoption(parser):
    parser.addoption(
        "--arch",
        choices=sorted(paths.ARCHES),
        help="the Windows build under test: x86-64 (build/w64, the default) or x86 (build/w32, under "
        "32-bit Wine from scripts/wine32.sh); sets ZEP_ARCH",
    )


def pytest_configure(config):
    if config.getoption("--arch"):
        os.environ["ZEP_ARCH"] = config.getoption("--arch")
    try:
        paths.arch()
    except ValueError as e:
        raise pytest.UsageError(str(e))
    config.addinivalue_line("markers", "lan(pcs=1): how many Windows PCs the `lan` fixture starts")
    proc.install_signal_handlers()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, f"report_{report.when}", report)


def pytest_report_header(config):
    return f"zeptest: the {paths.arch()} build, {paths.build_dir()}"


def _missing_tools():
    tools = ["Xvfb", "xdpyinfo", "xdotool", "import", "capsh", "ip", "unshare", "localedef"]
    return [t for t in tools if not shutil.which(t)]


@pytest.fixture(scope="session")
def _can_run():
    if os.geteuid() != 0:
        pytest.skip("end-to-end tests need root (network namespaces)")
    missing = _missing_tools()
    if missing:
        pytest.skip(f"missing {', '.join(missing)}: run scripts/bootstrap.sh")
    reason = paths.wine_missing()
    if reason:
        pytest.skip(reason)


@pytest.fixture(scope="session")
def display(_can_run):
    """A private Xvfb (1024x768x24) for the whole session."""
    d = Display(log_dir=paths.e2e_dir() / "logs").start()
    yield d
    d.stop()


@pytest.fixture(scope="session")
def wine_template(_can_run):
    """Path of the cached Japanese template prefix (made on first use, ~12 s)."""
    path, seconds = template_prefix()
    _timings.append(("template prefix", "made" if seconds else "cached", seconds))
    return path


def _test_dir_name(nodeid):
    name = nodeid.split("::", 1)
    stem = Path(name[0]).stem
    rest = name[1] if len(name) > 1 else ""
    return re.sub(r"[^\w.\[\]-]+", "_", f"{stem}.{rest}" if rest else stem)[:150]


@pytest.fixture
def artifacts(request):
    """This test's folder for screenshots and logs: build/e2e/artifacts/<test>/ (emptied first)."""
    d = paths.artifacts_root() / _test_dir_name(request.node.nodeid)
    shutil.rmtree(d, ignore_errors=True)
    d.mkdir(parents=True)
    return d


@pytest.fixture
def lan(request, display, wine_template, artifacts):
    """A router (Linux, 192.168.0.1) and Windows PCs (192.168.0.10, ...): one PC unless the test
    is marked @pytest.mark.lan(pcs=N). Torn down, namespaces and prefixes included, after the test."""
    marker = request.node.get_closest_marker("lan")
    pcs = marker.kwargs.get("pcs", 1) if marker else 1
    t0 = time.monotonic()
    network = Lan(display, wine_template, pcs=pcs, artifacts=artifacts).start()
    _timings.append((f"lan with {pcs} PC(s)", request.node.name, time.monotonic() - t0))
    try:
        yield network
    finally:
        report = getattr(request.node, "report_call", None)
        if report is not None and report.failed:
            _keep_evidence(network)
        network.close()


def _keep_evidence(network):
    try:
        network.pc.screenshot(None, "failure-screen.png")
        for pc in network.pcs:
            (network.artifacts / f"failure-{pc.name}-windows.txt").write_text(pc.probe("windows"), encoding="utf-8")
    except Exception as e:  # the evidence is a bonus; the failure itself is reported anyway
        print(f"zeptest: could not save failure evidence: {e}")


def pytest_terminal_summary(terminalreporter):
    mine = [n for n in namespaces() if n.startswith(run_tag())]
    if mine:
        terminalreporter.write_line(f"zeptest: namespaces left behind: {' '.join(mine)}", red=True)
    if _timings:
        terminalreporter.write_sep("-", f"zeptest timings ({paths.arch()} build)")
        for what, note, seconds in _timings:
            terminalreporter.write_line(f"{what:<22} {note:<40} {seconds:6.2f} s")
