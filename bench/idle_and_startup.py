"""Benchmark: zep's CPU time while idle for a minute under Wine, side by side with a trivial Win32
window program in the same run, and zep's start-up time to its first tray icon.

    /usr/bin/python3 bench/idle_and_startup.py [--seconds 60] [--starts 5]

Needs the x86-64 build (scripts/build.sh) and root (it runs in a test network namespace). The
figures go to stdout and to bench/results/idle_and_startup.txt.
"""

import argparse
import os
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests/e2e"))

from zeptest import Display, Lan, paths, proc  # noqa: E402
from zeptest.wine import template_prefix  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User + system CPU time of a Linux process (a Wine program is one)."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def install_zep(pc):
    pc.copy_in(paths.zep_exe(), "zep")
    # An existing setup utility: no first-start notice to wait on.
    (pc.drive_c / "zep" / "zep.ini").write_bytes(b"[ZEP]\r\nSetupUtility=C:\\zep\\zep.exe\r\n")
    return r"C:\zep\zep.exe"


def startup_time(pc, exe):
    """Seconds from starting zep to its tray icon. Wine's tray window appears with the first icon
    of the PC and stays, so each measurement needs a fresh PC."""
    t0 = time.monotonic()
    app = pc.run(exe)
    pc.probe("find", "title=Wine System Tray", "20000", "--visible")
    seconds = time.monotonic() - t0
    pc.run(exe, ["-quit"]).wait(40)
    app.wait(40)
    return seconds


def idle_cpu(pc, exe, seconds):
    trivial = paths.build_dir() / "bench/trivial_window.exe"
    zep = pc.run(exe)
    other = pc.run(trivial)
    pc.probe("find", "class=TZEPHiddenForm", "20000")
    pc.probe("find", "class=TrivialWindow", "20000")
    time.sleep(2)  # past the start-up work
    before = cpu_seconds(zep.pid), cpu_seconds(other.pid), cpu_seconds(pc.server.pid)
    time.sleep(seconds)
    after = cpu_seconds(zep.pid), cpu_seconds(other.pid), cpu_seconds(pc.server.pid)
    pc.run(exe, ["-quit"]).wait(40)
    zep.wait(40)
    other.kill()
    return [a - b for a, b in zip(after, before)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--starts", type=int, default=5)
    args = parser.parse_args()
    paths.require_exe(paths.zep_exe(), "zep")

    display = Display(log_dir=paths.e2e_dir() / "logs").start()
    try:
        template, _ = template_prefix()
        starts = []
        for _ in range(args.starts):
            with Lan(display, template, pcs=1, artifacts=paths.e2e_dir() / "bench") as lan:
                starts.append(startup_time(lan.pc, install_zep(lan.pc)))
        with Lan(display, template, pcs=1, artifacts=paths.e2e_dir() / "bench") as lan:
            zep_cpu, trivial_cpu, server_cpu = idle_cpu(lan.pc, install_zep(lan.pc), args.seconds)
    finally:
        display.stop()

    lines = [
        f"idle for {args.seconds:.0f} s under Wine, side by side:",
        f"  zep.exe            CPU {zep_cpu:.3f} s ({100 * zep_cpu / args.seconds:.3f} %)",
        f"  trivial_window.exe CPU {trivial_cpu:.3f} s ({100 * trivial_cpu / args.seconds:.3f} %)",
        f"  wineserver (both)  CPU {server_cpu:.3f} s",
        f"start-up to the first tray icon, {len(starts)} starts (warm wineserver):",
        f"  median {sorted(starts)[len(starts) // 2]:.2f} s, min {min(starts):.2f} s, max {max(starts):.2f} s",
    ]
    report = "\n".join(lines)
    print(report)
    out = REPO / "bench/results"
    out.mkdir(exist_ok=True)
    (out / "idle_and_startup.txt").write_text(report + "\n")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
