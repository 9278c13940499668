"""Processes the harness starts: each is remembered, and ended by its own PID."""

import atexit
import os
import re
import signal
import subprocess
import threading
import time
from pathlib import Path


class Process(subprocess.Popen):
    """A Popen whose output (unless piped) goes to log files that can be read while it runs."""

    out_path = None
    err_path = None

    def output(self):
        return _read(self.out_path)

    def error_output(self):
        return _read(self.err_path)

    def wait_for_output(self, pattern, timeout=10.0):
        """Waits until the stdout log matches `pattern` (a regex); returns the match."""
        if self.out_path is None:
            raise RuntimeError("this process writes no log file (stdout was redirected)")
        rx = re.compile(pattern)
        end = time.monotonic() + timeout
        while True:
            m = rx.search(self.output())
            if m:
                return m
            if self.poll() is not None:
                m = rx.search(self.output())
                if m:
                    return m
                raise AssertionError(
                    f"process ended (exit {self.returncode}) before printing /{pattern}/;\n"
                    f"stdout: {self.output()[-2000:]}\nstderr: {self.error_output()[-2000:]}"
                )
            if time.monotonic() > end:
                raise AssertionError(
                    f"no /{pattern}/ within {timeout} s;\nstdout: {self.output()[-2000:]}\n"
                    f"stderr: {self.error_output()[-2000:]}"
                )
            time.sleep(0.05)


def _read(path):
    if path is None:
        return ""
    try:
        return Path(path).read_bytes().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


_live = []
_live_lock = threading.Lock()


def start(argv, *, env=None, cwd=None, log=None, stdin=subprocess.DEVNULL, stdout=None, stderr=None):
    """Starts argv. With `log` (a path without suffix) and no stdout/stderr given, output goes
    to log.out and log.err."""
    out_f = err_f = None
    if log is not None:
        log = Path(log)
        log.parent.mkdir(parents=True, exist_ok=True)
        if stdout is None:
            out_f = open(f"{log}.out", "wb")
            stdout = out_f
        if stderr is None:
            err_f = open(f"{log}.err", "wb")
            stderr = err_f
    try:
        p = Process(
            [str(a) for a in argv],
            env=env,
            cwd=cwd,
            stdin=stdin,
            stdout=stdout if stdout is not None else subprocess.DEVNULL,
            stderr=stderr if stderr is not None else subprocess.DEVNULL,
        )
    finally:
        for f in (out_f, err_f):
            if f:
                f.close()
    if out_f:
        p.out_path = f"{log}.out"
    if err_f:
        p.err_path = f"{log}.err"
    with _live_lock:
        _live.append(p)
    return p


def reap(p, timeout=5.0):
    """Waits for p; after `timeout` ends it (SIGTERM, then SIGKILL) by its PID."""
    if p.poll() is None:
        try:
            p.wait(timeout)
        except subprocess.TimeoutExpired:
            for sig, grace in ((signal.SIGTERM, 2.0), (signal.SIGKILL, 5.0)):
                try:
                    os.kill(p.pid, sig)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(grace)
                    break
                except subprocess.TimeoutExpired:
                    continue
    for stream in (p.stdout, p.stderr):
        if stream:
            stream.close()
    with _live_lock:
        if p in _live:
            _live.remove(p)


def run(argv, *, timeout=30.0, check=True, env=None, cwd=None, input=None):
    """Runs argv to its end (bounded); returns CompletedProcess with text output."""
    r = subprocess.run(
        [str(a) for a in argv],
        env=env,
        cwd=cwd,
        input=input,
        capture_output=True,
        timeout=timeout,
    )
    r.stdout = r.stdout.decode("utf-8", "replace")
    r.stderr = r.stderr.decode("utf-8", "replace")
    if check and r.returncode != 0:
        raise subprocess.CalledProcessError(r.returncode, r.args, r.stdout, r.stderr)
    return r


# Things to undo when the test process ends without its fixtures' teardown (a crash, SIGTERM).
_cleanups = []


def on_exit(fn):
    _cleanups.append(fn)
    return fn


def forget(fn):
    if fn in _cleanups:
        _cleanups.remove(fn)


@atexit.register
def _cleanup_all():
    while _cleanups:
        fn = _cleanups.pop()
        try:
            fn()
        except Exception as e:  # keep undoing the rest
            print(f"zeptest: cleanup {fn} failed: {e}")
    with _live_lock:
        left = list(_live)
    for p in left:
        reap(p, 0.5)


def _terminate(signum, frame):
    raise SystemExit(128 + signum)


def install_signal_handlers():
    """SIGTERM/SIGHUP end the test run through normal teardown instead of killing it outright."""
    for sig in (signal.SIGTERM, signal.SIGHUP):
        if signal.getsignal(sig) in (signal.SIG_DFL, None):
            signal.signal(sig, _terminate)
