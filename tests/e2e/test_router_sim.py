"""The router simulator: its lines hold exactly the keywords zep reads, and they reach a PC from
192.168.0.1 as sent; it sends nothing from outside the router's namespace or beyond the test LAN."""

import re
import subprocess
import time

import pytest

from zeptest import RouterSim, paths
from zeptest.router import SIM, lines, parse_sent

PY = "/usr/bin/python3"
TAGS = {b"(isp1)": 1, b"(isp2)": 2, b"(isp3)": 3, b"(ras)": 4}


def events(datagram):
    """What zep makes of a datagram: the keyword tests on its lower-cased text."""
    low = datagram.lower()
    found = {
        "ntp": b":ntp:" in low and b"adjust" in low,
        "switched": b"connection" in low and b"switched" in low,
        "connected": b"connect" in low and b"<--" in low,
        "ip": b"ipcp up" in low and b"ppp" in low,
        "accepted": b"connect successfully" in low,
        "disconnected": b"disconnect successfully" in low,
    }
    return {k for k, v in found.items() if v}


def wan_ip(datagram):
    low = datagram.lower()
    rest = low[low.find(b"my ip"):]
    return rest[rest.find(b"=") + 1 : rest.find(b",")].decode()


def line_number(datagram):
    low = datagram.lower()
    return 1 if b"s01" in low else 2 if b"s02" in low else 0


def switch_tag(datagram):
    low = datagram.lower()
    after = low[low.find(b"switch"):]
    hits = sorted((after.find(t), n) for t, n in TAGS.items() if t in after)
    return hits[0][1] if hits else 0


def dry(*args):
    r = subprocess.run([PY, SIM, "--to", "192.168.0.10", "--dry-run", *map(str, args)],
                       capture_output=True, text=True, timeout=30)
    assert r.returncode == 0, r.stderr
    out = r.stdout.splitlines()
    assert all(l.startswith("DRY 192.168.0.10:514 [") for l in out), out
    return parse_sent(r.stdout.replace("DRY ", "TO "))


UP = [{"connected"}, {"ip"}, {"accepted"}]
DOWN = [set(), {"accepted", "disconnected"}]


@pytest.mark.parametrize("argv, kinds", [
    (["connect"], [{"connected"}]),
    (["connect", "--line", "2", "--dest", "ras"], [{"connected"}]),
    (["ip", "--address", "198.51.100.7"], [{"ip"}]),
    (["accepted"], [{"accepted"}]),
    (["disconnect"], DOWN),
    (["switch", "--to-dest", "isp2"], [{"switched"}]),
    (["ntp"], [{"ntp"}]),
    (["chatter"], [set()] * 4),
    (["cycle", "--hold", "0"], UP + DOWN),
])
def test_each_line_has_the_keywords_of_its_event_only(argv, kinds):
    sent = dry(*argv)
    assert [events(d) for d in sent] == kinds
    assert all(re.match(rb"<(29|30)>[A-Z]", d) for d in sent), sent  # BSD syslog, no host name


def test_cli_and_builders_give_the_same_datagrams():
    sim_lines = lines.datagrams("cycle", line=2, dest="isp3", address="198.51.100.7", blank=True)
    assert dry("cycle", "--line", 2, "--dest", "isp3", "--address", "198.51.100.7", "--blank") == [
        d for _, d in sim_lines
    ]
    assert [p for p, _ in lines.datagrams("cycle", delay=0.5, hold=7)] == [0, 0.5, 0.5, 7, 0.5]
    assert dry("raw", "--text", "回線 ソ test") == ["回線 ソ test".encode("cp932")]
    assert dry("raw", "--hex", "3c33303e5c000aff") == [b"<30>\\\x00\n\xff"]


def test_address_line_and_destination_as_zep_reads_them():
    assert wan_ip(dry("ip", "--address", "198.51.100.7")[0]) == "198.51.100.7"
    assert wan_ip(dry("ip", "--address", "198.51.100.7", "--blank")[0]) == " 198.51.100.7"
    assert [line_number(dry("connect", "--line", n)[0]) for n in (1, 2)] == [1, 2]
    assert [line_number(d) for d in dry("cycle", "--line", 2)] == [2] * 5
    assert [switch_tag(dry("switch", "--to-dest", d)[0]) for d in ("isp1", "isp2", "isp3", "ras")] == [1, 2, 3, 4]


def _sim(*args):
    return subprocess.run([PY, SIM, *map(str, args)], capture_output=True, text=True, timeout=30)


def test_refuses_the_root_namespace_and_addresses_beyond_the_test_lan():
    if subprocess.run(["ip", "netns", "identify"], capture_output=True, text=True).stdout.strip():
        pytest.skip("the tests themselves run inside a network namespace")
    r = _sim("--to", "192.168.0.10", "connect")
    assert r.returncode == 3 and "not inside a network namespace" in r.stderr
    assert "TO " not in r.stdout
    for to in ("198.51.100.7", "192.168.0.255", "192.168.0.0", "192.168.0.1", "192.168.1.10", "example"):
        r = _sim("--to", to, "--dry-run", "connect")
        assert r.returncode == 3 and "refused" in r.stderr, (to, r.stderr)


def _received(probe):
    """[(source, data as probe prints it)] of the datagrams probe udp-recv got so far."""
    return re.findall(r"^FROM (\S+):\d+ \[(.*)\]\r?$", probe.output(), re.M)


def test_syslog_of_a_connection_reaches_the_pc_from_the_router(lan):
    pc = lan.pc
    sim = RouterSim(lan, delay=0.1)
    own = [b"<30>\x8a\xd4\x88\xe1 \\ ok\xff", "<30>PPP s02 回線テスト"]
    plan = sim.expected("cycle", address="198.51.100.7", hold=3) + sim.expected("ip", address="198.51.100.8",
                                                                                   blank=True)
    plan += [lines.encode(d) for d in own]
    probe = pc.run(paths.require_exe(paths.probe_exe(), "probe"), ["udp-recv", "514", "40000", len(plan)])
    probe.wait_for_output(r"LISTENING 514", 20)

    # refused before any datagram: from the PC's namespace, and beyond the test LAN
    for host, to in ((pc, pc.address), (lan.router, "198.51.100.7"), (lan.router, "192.168.0.255")):
        r = host.exec(PY, SIM, "--to", to, "connect", check=False)
        assert r.returncode == 3 and "refused" in r.stderr and "TO " not in r.stdout, r.stderr

    t0 = time.monotonic()
    running = sim.cycle(address="198.51.100.7", hold=3, background=True)
    probe.wait_for_output(re.escape(lines.accepted_line()), 15)
    assert len(_received(probe)) == 3, "line down and disconnect come only after the hold"
    assert running.wait(20) == 0
    assert time.monotonic() - t0 >= 3
    cycle = parse_sent(running.output())
    assert cycle == plan[:5]

    assert sim.ip("198.51.100.8", blank=True) == plan[5:6]
    assert [sim.raw(d)[0] for d in own] == plan[6:]
    assert probe.wait(20) == 0, probe.error_output()

    got = _received(probe)
    assert {source for source, _ in got} == {"192.168.0.1"}
    assert [data for _, data in got] == [lines.escape(d) for d in plan]
    assert [events(d) for d in plan[:6]] == UP + DOWN + [{"ip"}]
    assert wan_ip(plan[1]) == "198.51.100.7" and wan_ip(plan[5]) == " 198.51.100.8"
