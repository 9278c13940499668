"""The router's syslog for tests: tests/fixtures/router_sim.py run inside the router's namespace.

    sim = RouterSim(lan)                                  # to lan.pc, UDP 514
    sim.connect(line=1)                                   # each call: the datagrams sent, as bytes
    sim.ip("203.0.113.45"); sim.accepted()
    sim.cycle(address="203.0.113.45", hold=3)             # connect, ip, accepted, ..., disconnect
    running = sim.cycle(hold=30, background=True)         # a Process; running.wait() at the end
    sim.flood(5000, paced_by=lan.pc)                      # numbered lines, as fast as the PC reads
    lines.ip_line("203.0.113.45")                         # the texts themselves, without sending

The texts live in router_sim.py only; `lines` is that file loaded as a module.
"""

import re
import types

from . import paths

SIM = paths.REPO / "tests" / "fixtures" / "router_sim.py"


def _load():
    module = types.ModuleType("router_sim")
    module.__file__ = str(SIM)
    exec(compile(SIM.read_text(encoding="utf-8"), str(SIM), "exec"), module.__dict__)
    return module


lines = _load()

_SENT = re.compile(r"^TO (\S+):(\d+) \[(.*)\]$")


def parse_sent(output):
    """The datagrams (bytes) named by the TO lines of router_sim's output."""
    return [lines.unescape(m[3]) for m in map(_SENT.match, output.splitlines()) if m]


class RouterSim:
    """Sends the router's syslog lines from lan.router to a PC (lan.pc unless given)."""

    def __init__(self, lan, pc=None, *, port=514, delay=0.2, source_port=0):
        self.host = lan.router
        self.to = (pc or lan.pc).address
        self.port = port
        self.delay = delay
        self.source_port = source_port

    def argv(self, event, *options, delay=None):
        return [
            "/usr/bin/python3", SIM, "--to", self.to, "--port", self.port, "--source-port", self.source_port,
            "--delay", self.delay if delay is None else delay, event, *options,
        ]

    def send(self, event, *options, delay=None, background=False, timeout=30.0):
        """Runs router_sim.py EVENT OPTIONS in the router's namespace. Returns the datagrams sent
        (bytes), or with background=True the running Process (its log holds the TO lines:
        parse_sent(p.output()))."""
        argv = self.argv(event, *options, delay=delay)
        if background:
            return self.host.popen(argv)
        r = self.host.exec(*argv, timeout=timeout, check=False)
        if r.returncode != 0:
            raise RuntimeError(f"router_sim {event} {' '.join(map(str, options))}: exit {r.returncode}: {r.stderr}")
        return parse_sent(r.stdout)

    def connect(self, line=1, dest="isp1"):
        return self.send("connect", "--line", line, "--dest", dest)

    def ip(self, address, blank=False, line=1, peer=lines.DEFAULT_PEER):
        return self.send("ip", "--line", line, "--address", address, "--peer", peer, *(["--blank"] if blank else []))

    def accepted(self, line=1):
        return self.send("accepted", "--line", line)

    def disconnect(self, line=1):
        """The line-down line, then "disconnect successfully"."""
        return self.send("disconnect", "--line", line)

    def switch(self, dest):
        return self.send("switch", "--to-dest", dest)

    def ntp(self, offset="+3"):
        return self.send("ntp", "--offset", offset)

    def chatter(self):
        return self.send("chatter")

    def raw(self, data):
        """One datagram: str (sent in cp932) or bytes as they are."""
        if isinstance(data, str):
            return self.send("raw", "--text", data)
        return self.send("raw", "--hex", bytes(data).hex())

    def flood(self, count, rate=0, text=None, paced_by=None, queue_limit=32768, timeout=300.0):
        """`count` numbered lines (router_sim's flood mode; `text` with "{n}" instead of the filter
        line): `rate` a second, 0 for full speed; with `paced_by` (the receiving WinHost) never
        faster than that PC empties its socket, so that none is lost. Returns the seconds taken."""
        options = ["--count", count, "--rate", rate]
        if text is not None:
            options += ["--text", text]
        if paced_by is not None:
            # any process of the PC's namespace shows that namespace's sockets (its wineserver does)
            options += ["--watch-pid", paced_by.server.pid, "--queue-limit", queue_limit]
        r = self.host.exec(*self.argv("flood", *options), timeout=timeout, check=False)
        m = re.search(r"^FLOOD sent=(\d+) seconds=([\d.]+)$", r.stdout, re.M)
        if r.returncode != 0 or not m:
            raise RuntimeError(f"router_sim flood: exit {r.returncode}: {r.stderr}")
        return float(m[2])

    def cycle(self, address=lines.DEFAULT_ADDRESS, hold=1.0, line=1, dest="isp1", blank=False, background=False):
        """A whole connection: connect, ip, accepted, `hold` seconds, line down, disconnect."""
        options = ["--line", line, "--dest", dest, "--address", address, "--hold", hold]
        return self.send("cycle", *options, *(["--blank"] if blank else []), background=background,
                         timeout=hold + 10 * self.delay + 30)

    def expected(self, event, **options):
        """The datagrams `event` sends with these options (router_sim's builders), without sending."""
        return [data for _, data in lines.datagrams(event, delay=self.delay, **options)]
