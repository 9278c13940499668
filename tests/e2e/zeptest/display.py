"""A private X server (Xvfb) for the Wine programs."""

import os
import random
import time
from pathlib import Path

from . import paths, proc

_current = None


def current():
    """The DISPLAY name screenshots and clicks use by default."""
    if _current is not None:
        return _current.name
    if os.environ.get("DISPLAY"):
        return os.environ["DISPLAY"]
    raise RuntimeError("no X display: start a Display (the `display` fixture) first")


def _free(n):
    return not Path(f"/tmp/.X{n}-lock").exists() and not Path(f"/tmp/.X11-unix/X{n}").exists()


class Display:
    """Xvfb on a free display number, 1024x768x24, no TCP."""

    def __init__(self, size="1024x768x24", log_dir=None):
        self.size = size
        self.log_dir = log_dir
        self.number = None
        self.process = None

    @property
    def name(self):
        return f":{self.number}"

    def env(self):
        return {**os.environ, "DISPLAY": self.name}

    def start(self, attempts=8):
        global _current
        last = ""
        candidates = [n for n in random.sample(range(120, 600), 60) if _free(n)]
        for n in candidates[:attempts]:
            log = Path(self.log_dir or paths.e2e_dir() / "logs") / f"xvfb-{n}"
            p = proc.start(
                ["Xvfb", f":{n}", "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"], log=log
            )
            # Up when the display answers; our Xvfb must still be alive then, else another
            # server got the number first and we'd be talking to that one.
            end = time.monotonic() + 10
            while time.monotonic() < end and p.poll() is None:
                r = proc.run(["xdpyinfo", "-display", f":{n}"], check=False, timeout=10)
                if r.returncode == 0:
                    break
                time.sleep(0.1)
            time.sleep(0.2)
            if p.poll() is None and proc.run(["xdpyinfo", "-display", f":{n}"], check=False).returncode == 0:
                self.number, self.process = n, p
                _current = self
                proc.on_exit(self.stop)
                return self
            last = p.error_output()[-500:]
            proc.reap(p, 1)
        raise RuntimeError(f"could not start Xvfb on a free display: {last}")

    def stop(self):
        global _current
        if self.process is not None:
            self.process.terminate()
            proc.reap(self.process, 5)
            for f in (self.process.out_path, self.process.err_path):
                if f and Path(f).exists() and Path(f).stat().st_size == 0:
                    Path(f).unlink()
            self.process = None
        if _current is self:
            _current = None
        proc.forget(self.stop)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
