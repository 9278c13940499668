"""Benchmark: setup installing and removing many files under Wine, side by side in one run with a
plain CopyFileW loop (bench/copy_loop.cpp) copying the same files.

    /usr/bin/python3 bench/setup_copy.py [--files 1000] [--size 65536] [--many 10000] [--runs 3]

Measured on one PC of a test network (a warm wineserver), each figure the median of --runs:
  - setup installing --files files of --size bytes, unattended (Setup Auto=1: no click, but the
    pauses that let a person read the window stay), from the start of setup.exe to its end; the
    same setup with an empty file list gives the fixed part (start-up and pauses), and the
    difference divided by the number of files is setup's cost per file;
  - copy_loop.exe copying the same files: its own start-up with an empty folder subtracted the
    same way, and its in-process time;
  - the same two for --many small files (100 bytes): the cost per file must not grow with the
    number of files;
  - the removal of the --files installation (the installed Setup.exe with the word "uninstall"):
    until setup.exe ends and until the install folder is gone (the follow-up instance and its
    batch file remove setup's own files and the folder after it).
Needs the x86-64 build (scripts/build.sh) and root. The figures go to stdout and to
bench/results/setup_copy[-LABEL].txt.
"""

import argparse
import re
import statistics
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests/e2e"))

from setupapp import isolate  # noqa: E402
from zeptest import Display, Lan, paths, proc, wait_for  # noqa: E402
from zeptest.wine import template_prefix  # noqa: E402

INSTALLED = r"C:\users\root\AppData\Local\Programs"
TIMEOUT = 900


def setup_ini(name, count):
    lines = ["[Setup]", f"Name={name}", "Auto=1", "PerUser=1", "[Root]", f"Name=%userprograms%\\{name}",
             "[Check]", "Menu=0", "Desktop=0", "Startup=0", "Ext=0", "Send=0", "Copy=0", "Del=0",
             "[Del]", "Auto=1", "[CopyFile]"]
    lines += [f"{i}=f{i:05d}.dat" for i in range(count)]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


class Bench:
    def __init__(self, pc, env):
        self.pc, self.env = pc, env
        self.loop_exe = paths.require_exe(paths.build_dir() / "bench/copy_loop.exe", "copy_loop")
        self.serial = 0

    def distribution(self, count, size, setup=True):
        """A distribution folder with `count` files of `size` bytes, and setup.exe with its Setup.ini
        unless `setup` is false; (Linux folder, product name)."""
        self.serial += 1
        name = f"Bench{self.serial}"
        folder = self.pc.drive_c / f"dist-{name}"
        folder.mkdir()
        if setup:
            (folder / "setup.exe").write_bytes(paths.require_exe(paths.setup_exe(), "setup").read_bytes())
            (folder / "Setup.ini").write_bytes(setup_ini(name, count))
        data = bytes(range(256)) * (size // 256) + bytes(size % 256)
        for i in range(count):
            (folder / f"f{i:05d}.dat").write_bytes(data)
        return folder, name

    def install_folder(self, name):
        return self.pc.drive_c / "users/root/AppData/Local/Programs" / name

    def setup(self, count, size):
        """Seconds setup takes to install `count` files; (seconds, product name)."""
        folder, name = self.distribution(count, size)
        t0 = time.monotonic()
        p = self.pc.run(self.pc.windows_path(folder / "setup.exe"), env=self.env)
        assert p.wait(TIMEOUT) == 0
        seconds = time.monotonic() - t0
        copied = [f for f in self.install_folder(name).iterdir() if f.suffix == ".dat"]
        assert len(copied) == count, f"{name}: {len(copied)} of {count} files installed"
        return seconds, name

    def loop(self, count, size):
        """Seconds copy_loop.exe takes for `count` files, whole and as it measures itself."""
        folder, name = self.distribution(count, size, setup=False)
        target = self.pc.windows_path(self.pc.drive_c / f"loop-{name}")
        t0 = time.monotonic()
        r = self.pc.wine(self.loop_exe, self.pc.windows_path(folder), target, timeout=TIMEOUT)
        seconds = time.monotonic() - t0
        m = re.search(r"(\d+) files copied, 0 failed, ([\d.]+) ms", r.stdout)
        assert m and int(m.group(1)) == count, r.stdout
        return seconds, float(m.group(2)) / 1000

    def removal(self, name):
        """Seconds from starting the installed setup with "uninstall" until it ends and until its
        folder is gone."""
        folder = self.install_folder(name)
        t0 = time.monotonic()
        p = self.pc.run(f"{INSTALLED}\\{name}\\Setup.exe", ["uninstall"], env=self.env)
        assert p.wait(TIMEOUT) == 0
        ended = time.monotonic() - t0
        wait_for(lambda: not folder.exists(), 120, f"{folder} removed")
        return ended, time.monotonic() - t0


def median(values):
    return statistics.median(values)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, default=1000)
    parser.add_argument("--size", type=int, default=65536)
    parser.add_argument("--many", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--label", default="")
    args = parser.parse_args()

    display = Display(log_dir=paths.e2e_dir() / "logs").start()
    try:
        template, _ = template_prefix()
        with Lan(display, template, pcs=1, artifacts=paths.e2e_dir() / "bench") as lan:
            bench = Bench(lan.pc, isolate(lan.pc))
            bench.setup(0, 0)  # warms the prefix: the first program of a PC starts slowly
            runs = range(args.runs)
            setup_empty = median([bench.setup(0, 0)[0] for _ in runs])
            loop_empty = median([bench.loop(0, 0)[0] for _ in runs])
            setups = [bench.setup(args.files, args.size) for _ in runs]
            setup_big = median([s for s, _ in setups])
            loops = [bench.loop(args.files, args.size) for _ in runs]
            loop_big, loop_big_inside = median([s for s, _ in loops]), median([i for _, i in loops])
            removals = [bench.removal(name) for _, name in setups]
            removal_ended, removal_gone = median([e for e, _ in removals]), median([g for _, g in removals])
            setup_many = median([bench.setup(args.many, 100)[0] for _ in runs])
            loops = [bench.loop(args.many, 100) for _ in runs]
            loop_many, loop_many_inside = median([s for s, _ in loops]), median([i for _, i in loops])
    finally:
        display.stop()

    def per_file(total, empty, count):
        return 1000 * (total - empty) / count

    big_setup, big_loop = per_file(setup_big, setup_empty, args.files), per_file(loop_big, loop_empty, args.files)
    many_setup, many_loop = per_file(setup_many, setup_empty, args.many), per_file(loop_many, loop_empty, args.many)
    lines = [
        f"setup.exe and a CopyFileW loop under Wine, side by side, median of {args.runs} runs:",
        f"  setup, empty file list (start-up and the unattended run's pauses)  {setup_empty:7.2f} s",
        f"  copy_loop.exe, empty folder (start-up)                             {loop_empty:7.2f} s",
        f"{args.files} files of {args.size // 1024} KiB:",
        f"  setup        {setup_big:7.2f} s  copying {setup_big - setup_empty:6.2f} s  {big_setup:6.3f} ms a file",
        f"  copy_loop    {loop_big:7.2f} s  copying {loop_big - loop_empty:6.2f} s  {big_loop:6.3f} ms a file"
        f"  (in-process {loop_big_inside:.2f} s)",
        f"  setup / loop, copying: {big_setup / big_loop:.2f}",
        f"{args.many} files of 100 bytes:",
        f"  setup        {setup_many:7.2f} s  copying {setup_many - setup_empty:6.2f} s  {many_setup:6.3f} ms a file",
        f"  copy_loop    {loop_many:7.2f} s  copying {loop_many - loop_empty:6.2f} s  {many_loop:6.3f} ms a file"
        f"  (in-process {loop_many_inside:.2f} s)",
        f"  setup / loop, copying: {many_setup / many_loop:.2f}",
        f"removal of the {args.files} files (installed Setup.exe uninstall):",
        f"  until setup.exe ends {removal_ended:6.2f} s, until the install folder is gone {removal_gone:6.2f} s",
    ]
    report = "\n".join(lines)
    print(report)
    out = REPO / "bench/results"
    out.mkdir(exist_ok=True)
    (out / f"setup_copy{'-' + args.label if args.label else ''}.txt").write_text(report + "\n")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
