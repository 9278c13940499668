"""Benchmark: zep under a flood of the router's syslog, side by side in one run with a minimal
Winsock receiver that keeps the same lines (bench/syslog_receiver.cpp).

    /usr/bin/python3 bench/syslog_flood.py [--seconds 10] [--burst 5000] [--label NAME]

In a test network: the router's host floods two PCs, one running zep.exe and one running
syslog_receiver.exe, one after the other, with numbered filter lines (no router event in them).
Measured for each:
  - the highest rate at which no line is lost over --seconds (rates doubled from 200 a second
    until a line is lost, then halved between the last good and the first bad rate to 5 %);
  - how many lines of a burst of --burst datagrams sent at full speed are kept;
  - how many lines a second it writes under an overload (--seconds at OVERLOAD_RATE, more than
    either keeps up with): its own speed, whatever its socket's buffer absorbs;
  - how long the UI thread takes to answer a message (WM_NULL every 20 ms from a program of the
    same PC) during a flood of --seconds at the receiver's highest rate, the same for both, and
    during the overload.
Lines are counted in the monthly syslog files the programs write. Needs the x86-64 build
(scripts/build.sh; ZEP_EXE names another zep.exe) and root. The figures go to stdout and to
bench/results/syslog_flood[-LABEL].txt.
"""

import argparse
import re
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests/e2e"))

from zeptest import Display, Lan, RouterSim, paths, proc  # noqa: E402
from zeptest.wine import template_prefix  # noqa: E402

FIRST_RATE = 200
OVERLOAD_RATE = 20000
RATE_CAP = 51200
PRECISION = 1.05
ANSWER_INTERVAL_MS = 20


class Target:
    """One receiving program on its PC: how to start it, its window, its syslog files."""

    def __init__(self, name, pc, exe, folder, window):
        self.name, self.pc, self.exe, self.folder, self.window = name, pc, exe, folder, window
        self.process = None

    def start(self):
        self.process = self.pc.run(self.exe)
        self.pc.probe("find", self.window, "20000")
        time.sleep(2)  # past the start-up work

    def lines(self):
        return sum(f.read_bytes().count(b"\r\n") for f in self.folder.glob("syslog_*.txt"))

    def alive(self):
        return self.process.poll() is None


def settled_lines(target, quiet=1.5, limit=90.0):
    """(the line count once it has not changed for `quiet` seconds, when it last changed)."""
    end = time.monotonic() + limit
    count, since = target.lines(), time.monotonic()
    while time.monotonic() < end:
        time.sleep(0.1)
        now = target.lines()
        if now != count:
            count, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            break
    return count, since


def trial(sim, target, count, rate):
    """(lines kept, seconds the sending took, seconds until the last line was written) of `count`
    lines at `rate` (0: full speed)."""
    before, _ = settled_lines(target)
    start = time.monotonic()
    seconds = sim.flood(count, rate=rate)
    after, last = settled_lines(target)
    return after - before, seconds, last - start


def highest_rate(lan, target, seconds, log):
    sim = RouterSim(lan, target.pc)
    good, bad, rate = 0, None, FIRST_RATE
    while True:
        count = int(rate * seconds)
        kept, took, _ = trial(sim, target, count, rate)
        ok = kept == count and target.alive()
        log(f"  {target.name}: {rate:7.0f}/s for {took:5.2f} s: kept {kept} of {count}{'' if ok else '  LOST'}")
        if ok:
            good = rate
        else:
            bad = rate
        if not target.alive():
            break
        if bad is None:
            if rate >= RATE_CAP:
                break
            rate *= 2
        elif good == 0 or bad / good <= PRECISION:
            break
        else:
            rate = (good * bad) ** 0.5
    return good


def burst(lan, target, count, log):
    kept, took, _ = trial(RouterSim(lan, target.pc), target, count, 0)
    log(f"  {target.name}: burst of {count} in {took:.3f} s: kept {kept}")
    return kept


def overload(lan, target, seconds, log):
    """(lines written a second while more arrive than it keeps up with, its answer times then)."""
    count = int(OVERLOAD_RATE * seconds)
    timer = start_answer_timer(target, seconds)
    kept, took, writing = trial(RouterSim(lan, target.pc), target, count, OVERLOAD_RATE)
    answers = answer_figures(timer, target, seconds, log)
    log(f"  {target.name}: {count} at {count / took:.0f}/s: kept {kept}, the last after {writing:.2f} s")
    return kept / writing, answers


def start_answer_timer(target, seconds):
    """A program of the target's PC that times the window's answers for `seconds`."""
    timer = target.pc.run(paths.probe_exe(), ["answer-times", target.window, str(int(seconds)), str(ANSWER_INTERVAL_MS)])
    time.sleep(0.5)
    return timer


def answer_figures(timer, target, seconds, log):
    """(median, p95, max in ms, late answers) that the timer measured."""
    timer.wait(seconds + 30)
    m = re.search(r"answers=(\d+) median=([\d.]+) p95=([\d.]+) max=([\d.]+) late=(\d+)", timer.output())
    if not m:
        raise RuntimeError(f"answer-times: {timer.error_output()}")
    log(f"  {target.name}: {m[0]}")
    return float(m[2]), float(m[3]), float(m[4]), int(m[5])


def answer_times(lan, target, rate, seconds, log):
    """The answer times of the program's window during a flood at `rate`."""
    timer = start_answer_timer(target, seconds)
    RouterSim(lan, target.pc).flood(int(rate * seconds), rate=rate)
    answers = answer_figures(timer, target, seconds, log)
    settled_lines(target)
    return answers


def install(lan):
    zep_pc, receiver_pc = lan.pcs
    zep_pc.copy_in(paths.zep_exe(), "zep")
    # An existing setup utility: no first-start notice.
    (zep_pc.drive_c / "zep" / "zep.ini").write_bytes(b"[ZEP]\r\nSetupUtility=C:\\zep\\zep.exe\r\n")
    receiver_pc.copy_in(paths.build_w64() / "bench/syslog_receiver.exe", "recv")
    return [
        Target("zep", zep_pc, r"C:\zep\zep.exe", zep_pc.drive_c / "zep", "class=TZEPHiddenForm"),
        Target("receiver", receiver_pc, r"C:\recv\syslog_receiver.exe", receiver_pc.drive_c / "recv",
               "class=SyslogReceiver"),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--burst", type=int, default=5000)
    parser.add_argument("--label", default="", help="suffix of the results file")
    args = parser.parse_args()
    paths.require_exe(paths.zep_exe(), "zep")

    progress = []

    def log(line):
        print(line, flush=True)
        progress.append(line)

    display = Display(log_dir=paths.e2e_dir() / "logs").start()
    try:
        template, _ = template_prefix()
        with Lan(display, template, pcs=2, artifacts=paths.e2e_dir() / "bench") as lan:
            targets = install(lan)
            for t in targets:
                t.start()
            rates = {t.name: highest_rate(lan, t, args.seconds, log) for t in targets}
            kept = {t.name: burst(lan, t, args.burst, log) for t in targets}
            overloads = {t.name: overload(lan, t, args.seconds, log) for t in targets}
            common = rates["receiver"]
            answers = {t.name: answer_times(lan, t, common, args.seconds, log) for t in targets}
            alive = {t.name: t.alive() for t in targets}
    finally:
        display.stop()

    z, r = rates["zep"], rates["receiver"]
    speeds = {name: speed for name, (speed, _) in overloads.items()}
    lines = [
        f"syslog flood under Wine, side by side ({args.seconds:.0f} s floods, {args.burst} in a burst):",
        f"  highest rate without a lost line: zep {z:.0f}/s, receiver {r:.0f}/s, ratio {z / r if r else 0:.2f}",
        f"  burst of {args.burst} at full speed kept: zep {kept['zep']}, receiver {kept['receiver']}",
        f"  lines written a second under an overload ({OVERLOAD_RATE}/s sent): zep {speeds['zep']:.0f}, "
        f"receiver {speeds['receiver']:.0f}, ratio {speeds['zep'] / speeds['receiver']:.2f}",
        f"  UI answer time during a flood at {common:.0f}/s (ms, median / p95 / max, late answers):",
    ]
    for name in ("zep", "receiver"):
        median, p95, worst, late = answers[name]
        lines.append(f"    {name:<9}{median:7.2f} {p95:7.2f} {worst:7.2f}   {late}")
    lines.append(f"  UI answer time during the overload (ms, median / p95 / max, late answers):")
    for name in ("zep", "receiver"):
        median, p95, worst, late = overloads[name][1]
        lines.append(f"    {name:<9}{median:7.2f} {p95:7.2f} {worst:7.2f}   {late}")
    lines.append(f"  still running at the end: zep {alive['zep']}, receiver {alive['receiver']}")
    report = "\n".join(lines)
    print(report)
    out = REPO / "bench/results"
    out.mkdir(exist_ok=True)
    name = f"syslog_flood-{args.label}.txt" if args.label else "syslog_flood.txt"
    (out / name).write_text(report + "\n\ntrials:\n" + "\n".join(progress) + "\n")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
