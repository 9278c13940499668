"""A test LAN in network namespaces: a bridge, the router at 192.168.0.1, PCs at .10, .11, ...

Nothing here touches the machine's own network: every address lives in namespaces made here,
named <prefix>-<role> with a prefix unique to this test process, and removed by close().
"""

import itertools
import os
import re
import shutil
import subprocess
import time
from pathlib import Path

from . import paths, proc, wine
from .probe import ProbeError, parse_controls, parse_menu, parse_window, parse_windows, window_arg

SUBNET = "192.168.0"
ROUTER_ADDRESS = f"{SUBNET}.1"
FIRST_PC = 10

_lan_numbers = itertools.count()


def _b36(n, width=0):
    digits = "0123456789abcdefghijklmnopqrstuvwxyz"
    s = ""
    while True:
        n, r = divmod(n, 36)
        s = digits[r] + s
        if n == 0:
            break
    return s.rjust(width, "0")


def run_tag():
    """Start of the names of everything this test process makes: zt + its PID (5 base-36 digits)."""
    return f"zt{_b36(os.getpid(), 5)}"


def _ip(*args, check=True):
    return proc.run(["ip", *args], check=check, timeout=30)


def namespaces():
    """Names of all network namespaces on the machine."""
    out = _ip("netns", "list", check=False).stdout
    return [line.split()[0] for line in out.splitlines() if line.strip()]


def _slug(text):
    s = re.sub(r"[^\w.-]+", "_", text, flags=re.UNICODE).strip("_")
    return s[:60] or "window"


class Host:
    """A machine on the test LAN: one network namespace. Runs plain Linux commands."""

    def __init__(self, lan, role, address):
        self.lan = lan
        self.role = role
        self.name = role
        self.ns = f"{lan.prefix}-{role}"
        self.address = address
        self._procs = []

    def command(self, argv):
        """argv run inside this host's namespace."""
        return ["ip", "netns", "exec", self.ns, *map(str, argv)]

    def exec(self, *argv, timeout=30.0, check=True, input=None, env=None, cwd=None):
        """Runs a Linux command in the namespace to its end; CompletedProcess with text output."""
        return proc.run(self.command(argv), timeout=timeout, check=check, input=input, env=env, cwd=cwd)

    def popen(self, argv, *, env=None, cwd=None, log=None, **kw):
        """Starts a Linux command in the namespace; it is ended by stop() if still running."""
        if log is None and "stdout" not in kw:
            log = self.lan.log_path(f"{self.name}-{Path(str(argv[0])).name}")
        p = proc.start(self.command(argv), env=env, cwd=cwd, log=log, **kw)
        self._procs.append(p)
        return p

    def resolve(self, names):
        """Host names for the programs started here from now on: {name: address}. A hosts file in
        /etc/netns/<namespace>/, which `ip netns exec` mounts over /etc/hosts; removed by stop()."""
        folder = Path("/etc/netns") / self.ns
        folder.mkdir(parents=True, exist_ok=True)
        lines = ["127.0.0.1 localhost"] + [f"{address} {name}" for name, address in names.items()]
        (folder / "hosts").write_text("\n".join(lines) + "\n")

    def python(self, code, *args, timeout=30.0, check=True):
        """Runs python3 -c code [args] in the namespace."""
        return self.exec("/usr/bin/python3", "-c", code, *args, timeout=timeout, check=check)

    def send_udp(self, address, port, data, *, broadcast=False, source_port=0):
        """Sends one UDP datagram from this host."""
        if isinstance(data, str):
            data = data.encode()
        code = (
            "import socket, sys\n"
            "s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
            "s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, int(sys.argv[3]))\n"
            "s.bind(('', int(sys.argv[4])))\n"
            "s.sendto(bytes.fromhex(sys.argv[5]), (sys.argv[1], int(sys.argv[2])))\n"
        )
        self.python(code, address, port, int(broadcast), source_port, data.hex())

    def listen_udp(self, port):
        """Starts a receiver on UDP `port` of every address of this host; read what it got with
        received(p)."""
        code = (
            "import socket, sys\n"
            "s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
            "s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)\n"
            "s.bind(('', int(sys.argv[1])))\n"
            "print('LISTENING', flush=True)\n"
            "while True:\n"
            "    data, sender = s.recvfrom(65536)\n"
            "    print(f'FROM {sender[0]}:{sender[1]} {data.hex()}', flush=True)\n"
        )
        p = self.popen(["/usr/bin/python3", "-c", code, port], log=self.lan.log_path(f"{self.name}-udp{port}"))
        p.wait_for_output("LISTENING")
        return p

    @staticmethod
    def received(p):
        """[(sender address, sender port, bytes)] that a listen_udp receiver got so far."""
        return [(m[0], int(m[1]), bytes.fromhex(m[2]))
                for m in re.findall(r"^FROM ([\d.]+):(\d+) ([0-9a-f]*)$", p.output(), re.M)]

    def stop(self):
        for p in self._procs:
            if p.poll() is None:
                p.terminate()
            proc.reap(p, 3)
        self._procs.clear()
        shutil.rmtree(Path("/etc/netns") / self.ns, ignore_errors=True)


class WinHost(Host):
    """A Windows PC: its own copy of the template prefix and a persistent wineserver started
    inside the namespace (Wine's sockets live where the wineserver runs)."""

    def __init__(self, lan, role, address):
        super().__init__(lan, role, address)
        self.prefix = lan.workdir / f"prefix-{role}"
        self.server = None
        self.display = lan.display
        self._shots = itertools.count(1)

    # -- life

    def start(self):
        t0 = time.monotonic()
        proc.run(["cp", "-a", self.lan.template, self.prefix], timeout=120)
        self.copy_seconds = time.monotonic() - t0
        self.server = proc.start(
            self.command(wine.guarded([paths.wineserver(), "-f", "-p"], check_ns=self.ns)),
            env=self.env(),
            log=self.lan.log_path(f"{self.name}-wineserver"),
        )
        self._wait_for_server()
        # Prewarm: start the prefix's services now, not inside the first test program. They
        # inherit the output of the program that starts them: files, not pipes, else a
        # reader would wait for them to close.
        p = self.run("cmd", ["/c", "exit"], log=self.lan.log_path(f"{self.name}-prewarm"))
        try:
            code = p.wait(60)
        except subprocess.TimeoutExpired:
            raise RuntimeError(f"{self.name}: Wine did not start within 60 s: {p.error_output()[-2000:]}")
        finally:
            proc.reap(p, 1)
        if code != 0:
            raise RuntimeError(f"{self.name}: Wine does not start ({code}): {p.error_output()[-2000:]}")
        if self.server.poll() is not None:
            raise RuntimeError(f"{self.name}: our wineserver ended ({self.server.returncode}) during the prewarm")
        self.start_seconds = time.monotonic() - t0
        return self

    def _wait_for_server(self, timeout=10.0):
        """Until the server listens: a Wine program started before that would start a server of
        its own (not persistent, and ours would then give up)."""
        st = os.stat(self.prefix)
        server_dir = f"server-{st.st_dev:x}-{st.st_ino:x}"
        end = time.monotonic() + timeout
        # Debian's Wine: <TMPDIR>/<name in prefix/wineserver>/server-<dev>-<inode>/socket
        while not list(self.lan.tmpdir.glob(f"wine-*/{server_dir}/socket")):
            if self.server.poll() is not None:
                raise RuntimeError(
                    f"{self.name}: wineserver ended ({self.server.returncode}): {self.server.error_output()[-2000:]}"
                )
            if time.monotonic() > end:
                raise RuntimeError(f"{self.name}: wineserver did not open its socket within {timeout} s")
            time.sleep(0.02)

    def stop(self):
        """Ends every program of this prefix (wineserver -k), then reaps what we started."""
        if self.server is not None:
            try:
                subprocess.run(self.command([paths.wineserver(), "-k"]), env=self.env(), capture_output=True, timeout=30)
            except subprocess.TimeoutExpired:
                pass  # the server itself is ended by its PID below
            proc.reap(self.server, 10)
            self.server = None
        super().stop()

    def env(self, **extra):
        return wine.wine_env(
            self.prefix, self.display.name if self.display else None, TMPDIR=self.lan.tmpdir, **extra
        )

    # -- programs

    def run(self, exe, args=(), cwd=None, *, env=None, log=None, stdout=None, stderr=None):
        """Starts a Wine program in the namespace under the clock guard. Returns a Popen whose
        stdout/stderr go to log files in the test's artifacts (read with .output(),
        .error_output(), .wait_for_output()) unless given. `env` adds or overrides variables (e.g. WINEDEBUG)."""
        if log is None and stdout is None:
            log = self.lan.log_path(f"{self.name}-{Path(str(exe)).stem}")
        p = proc.start(
            self.command(wine.guarded([paths.wine(), exe, *args], check_ns=self.ns)),
            env=self.env(**(env or {})),
            cwd=cwd,
            log=log,
            stdout=stdout,
            stderr=stderr,
        )
        self._procs.append(p)
        return p

    def wine(self, exe, *args, timeout=30.0, check=True, cwd=None, env=None):
        """Runs a Wine program to its end (bounded); CompletedProcess with UTF-8 text output.

        Output goes through files, not pipes: a Wine service the program happens to start
        (explorer.exe for the desktop) would inherit a pipe and keep a reader waiting."""
        p = self.run(exe, [str(a) for a in args], cwd, env=env, log=self.lan.log_path(f"{self.name}-call", scratch=True))
        try:
            code = p.wait(timeout)
        except subprocess.TimeoutExpired:
            raise subprocess.TimeoutExpired([exe, *args], timeout, p.output(), p.error_output())
        finally:
            self._procs.remove(p)
            proc.reap(p, 0)
            out, err = p.output(), p.error_output()
            for f in (p.out_path, p.err_path):
                os.unlink(f)
        r = subprocess.CompletedProcess([exe, *args], code, out, err)
        if check and code != 0:
            raise subprocess.CalledProcessError(code, r.args, out, err)
        return r

    def probe(self, *args, timeout=None):
        """Runs probe.exe; returns its stdout, raises ProbeError (with its stderr) on failure."""
        exe = paths.require_exe(paths.probe_exe(), "probe")
        if timeout is None:
            ms = [int(a) for a in args if isinstance(a, int) or (isinstance(a, str) and a.isdigit())]
            timeout = 20 + max(ms, default=0) / 1000
        try:
            r = self.wine(exe, *args, timeout=timeout, check=False)
        except subprocess.TimeoutExpired:
            raise ProbeError(args, None, f"no answer within {timeout} s")
        if r.returncode != 0:
            raise ProbeError(args, r.returncode, r.stderr, r.stdout)
        return r.stdout

    # -- files

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def windows_path(self, linux_path):
        """C:\\... for files in this prefix's drive_c, else Z:\\... (Wine's view of /)."""
        p = Path(linux_path).resolve()
        try:
            rel = p.relative_to(self.drive_c.resolve())
            return "C:\\" + str(rel).replace("/", "\\") if str(rel) != "." else "C:\\"
        except ValueError:
            return "Z:" + str(p).replace("/", "\\")

    def copy_in(self, src, dest="zep"):
        """Copies a file or folder into drive_c/<dest>/ (made if needed); returns the Linux path
        of the copy (windows_path() gives its C:\\ name)."""
        src = Path(src)
        target_dir = self.drive_c / dest
        target_dir.mkdir(parents=True, exist_ok=True)
        target = target_dir / src.name
        if src.is_dir():
            shutil.copytree(src, target, dirs_exist_ok=True)
        else:
            shutil.copy2(src, target)
        return target

    # -- windows

    def windows(self):
        return parse_windows(self.probe("windows"))

    def find_window(self, window=None, *, cls=None, title=None, timeout_ms=30000, visible=True, shot=True):
        """Waits for a top-level window; returns a Window. With shot (default) a screenshot of it
        goes to the test's artifacts (shot may be a file name)."""
        arg = window_arg(window, cls=cls, title=title)
        args = ["find", arg, str(timeout_ms)] + (["--visible"] if visible else [])
        w = parse_window(self.probe(*args).splitlines()[0])
        if shot and w.visible and w.x11:
            time.sleep(0.15)  # let it paint
            self.screenshot(w, shot if isinstance(shot, str) else None)
        return w

    def gone(self, window=None, *, cls=None, title=None, timeout_ms=30000):
        self.probe("gone", window_arg(window, cls=cls, title=title), str(timeout_ms))

    def controls(self, window=None, *, cls=None, title=None):
        return parse_controls(self.probe("controls", window_arg(window, cls=cls, title=title)))

    def click(self, window, caption):
        self.probe("click", window_arg(window), caption)

    def post(self, window, msg, wparam=0, lparam=0):
        self.probe("post", window_arg(window), str(msg), str(wparam), str(lparam))

    def send(self, window, msg, wparam=0, lparam=0, timeout_ms=2000):
        out = self.probe("send", window_arg(window), str(msg), str(wparam), str(lparam), "--ms", str(timeout_ms))
        return int(out.split("=", 1)[1])

    def set_text(self, window, control_id, text):
        self.probe("settext", window_arg(window), str(control_id), text)

    def menu(self, timeout_ms=3000):
        """(Window, [MenuItem]) of the open popup menu. Under Wine 8 this works only for menus of
        the probe's own process: for another program's menu it raises ProbeError."""
        return parse_menu(self.probe("menu", str(timeout_ms)))

    # -- pictures

    def screenshot(self, window=None, name=None):
        """Screenshot of a window (Window or X11 id; None: the whole screen) into the test's
        artifacts; returns its path."""
        from .screen import screenshot

        x11 = window.x11 if hasattr(window, "x11") else window
        if name is None:
            label = "screen" if window is None else (getattr(window, "title", "") or getattr(window, "cls", "window"))
            name = f"{next(self._shots):02d}-{self.name}-{_slug(label)}.png"
        return screenshot(
            x11, self.lan.artifact_path(name), display=self.display.name if self.display else None, raise_window=True
        )


class Lan:
    """The router (a Linux host) and PCs (Windows hosts) on one bridge.

        with Lan(display, template, pcs=2, artifacts=dir) as lan:
            lan.pc.run(exe); lan.router.send_udp(lan.pc.address, 514, b"...")
    """

    def __init__(self, display, template, pcs=1, artifacts=None, workdir=None):
        self.display = display
        self.template = Path(template)
        self.artifacts = Path(artifacts) if artifacts else None
        # at most 15 characters with "-pc99"
        self.prefix = f"{run_tag()}{_b36(next(_lan_numbers))}"
        base = Path(workdir) if workdir else paths.e2e_dir() / "hosts"
        self.workdir = base / self.prefix
        self.bridge = f"{self.prefix}-br"
        # Wine's server sockets (a short path: sockets have a 108-byte limit)
        self.tmpdir = Path("/tmp") / self.prefix
        self.hosts = []
        self.router = None
        self.pcs = []
        self._made = []  # namespaces, in order of creation
        self._closed = False
        self._n_pcs = pcs

    @property
    def pc(self):
        return self.pcs[0]

    def start(self):
        proc.on_exit(self.close)
        try:
            self.workdir.mkdir(parents=True, exist_ok=True)
            self.tmpdir.mkdir(mode=0o700, exist_ok=True)
            self._netns(self.bridge)
            _ip("-n", self.bridge, "link", "add", "br0", "type", "bridge")
            _ip("-n", self.bridge, "link", "set", "br0", "up")
            self.router = self.add_host("router", ROUTER_ADDRESS, windows=False, ns_role="rt")
            for _ in range(self._n_pcs):
                self.add_pc()
        except BaseException:
            self.close()
            raise
        return self

    def _netns(self, name):
        if name in namespaces():
            raise RuntimeError(f"network namespace {name} exists already")
        _ip("netns", "add", name)
        self._made.append(name)
        _ip("-n", name, "link", "set", "lo", "up")

    def add_host(self, role, address, windows=False, ns_role=None):
        """A host at `address` on the LAN; windows=True gives a WinHost (Wine prefix + server)."""
        host = (WinHost if windows else Host)(self, ns_role or role, address)
        host.name = role
        port = f"p-{ns_role or role}"[:15]
        self._netns(host.ns)
        _ip("link", "add", "eth0", "netns", host.ns, "type", "veth", "peer", "name", port, "netns", self.bridge)
        _ip("-n", host.ns, "addr", "add", f"{address}/24", "dev", "eth0")
        _ip("-n", host.ns, "link", "set", "eth0", "up")
        _ip("-n", self.bridge, "link", "set", port, "master", "br0")
        _ip("-n", self.bridge, "link", "set", port, "up")
        if address != ROUTER_ADDRESS:
            # through the router: needed for 255.255.255.255 broadcasts
            _ip("-n", host.ns, "route", "add", "default", "via", ROUTER_ADDRESS)
        self.hosts.append(host)
        if windows:
            host.start()
        return host

    def add_pc(self):
        """Another Windows PC at 192.168.0.10, .11, ..."""
        n = len(self.pcs)
        pc = self.add_host(f"pc{n + 1}", f"{SUBNET}.{FIRST_PC + n}", windows=True)
        self.pcs.append(pc)
        return pc

    def log_path(self, stem, scratch=False):
        d = self.workdir / "scratch" if scratch else self.artifacts or self.workdir / "logs"
        d.mkdir(parents=True, exist_ok=True)
        for i in itertools.count():
            p = d / (stem if i == 0 else f"{stem}-{i}")
            if not Path(f"{p}.out").exists() and not Path(f"{p}.err").exists():
                return p

    def artifact_path(self, name):
        d = self.artifacts or self.workdir / "shots"
        d.mkdir(parents=True, exist_ok=True)
        return d / name

    def close(self):
        """Stops every host, ends what still runs in our namespaces, deletes them and the
        prefixes. Safe to call twice."""
        if self._closed:
            return
        self._closed = True
        errors = []
        for host in reversed(self.hosts):
            try:
                host.stop()
            except Exception as e:
                errors.append(f"{host.name}: {e}")
        for ns in reversed(self._made):
            # Anything still running in a namespace we made was started by this harness; Wine's
            # services need a moment to go after wineserver -k.
            end = time.monotonic() + 3
            while (pids := _ip("netns", "pids", ns, check=False).stdout.split()) and time.monotonic() < end:
                time.sleep(0.1)
            for pid in pids:
                try:
                    os.kill(int(pid), 9)
                except (ProcessLookupError, ValueError):
                    pass
            if pids:
                errors.append(f"{ns}: killed leftover processes {' '.join(pids)}")
            r = _ip("netns", "del", ns, check=False)
            if r.returncode != 0:
                errors.append(f"ip netns del {ns}: {r.stderr.strip()}")
        shutil.rmtree(self.workdir, ignore_errors=True)
        shutil.rmtree(self.tmpdir, ignore_errors=True)
        proc.forget(self.close)
        if errors:
            print("zeptest: Lan.close: " + "; ".join(errors))

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.close()
