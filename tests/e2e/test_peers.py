"""Copies of zep on one LAN: the status query of a copy that starts while the line is up, the
answers of the copy that heard the router, and the PC's clock taken from the router by SNTP."""

import re
import shutil
import time

import pytest

from zepapp import Tool, Zep
from zeptest import ROUTER_ADDRESS, Host, RouterSim, paths, wait_for
from zeptest.router import lines

DIST = paths.REPO / "dist"
ADDRESS = "203.0.113.45"
QUERY = b"RequestNWGCondition"
PEER_PORT = 4448
ANSWER = re.compile(rb"Answer,203\.0\.113\.45:(\d+)@(\d+)")


def start_copy(pc, status, extra=""):
    """zep on `pc` with the VELK stand-in answering `status` (5: the line is up, 3: down)."""
    zep = Zep(pc)
    shutil.copy(DIST / "connect.htm", zep.folder)
    tool = Tool(pc, Status=status, Default=0)
    zep.write_ini(f"[ZEP]\nSetupUtility={tool.path}\nIPAddress={ROUTER_ADDRESS}\nHTMLAutoCreate=1\n{extra}")
    running = zep.start()
    zep.controller()
    tool.wait_call("-sts1")
    return zep, running


def page_shows(zep, address):
    page = zep.folder / "myip.html"
    return page.exists() and address.encode() in page.read_bytes()


def datagrams(listener, sender):
    """What the router's receiver got from `sender`."""
    return [data for source, _, data in Host.received(listener) if source == sender]


def ask(lan, pc, payload=QUERY):
    lan.router.send_udp(pc.address, PEER_PORT, payload)


def listen(lan):
    return lan.router.listen_udp(PEER_PORT)


@pytest.mark.lan(pcs=2)
def test_a_starting_copy_learns_the_line_from_the_copy_that_heard_the_router(lan):
    heard, starting = lan.pcs
    listener = listen(lan)
    first, first_running = start_copy(heard, status=3)

    # Before the router told it anything, the copy does not answer.
    ask(lan, heard)
    time.sleep(2)
    assert datagrams(listener, heard.address) == []

    sim = RouterSim(lan, heard)
    sim.connect()
    connected_at = time.monotonic()
    sim.ip(ADDRESS)
    wait_for(lambda: page_shows(first, ADDRESS), what="the IP page of the copy that heard the router")

    # Only the whole payload is a query.
    ask(lan, heard, QUERY + b"\r\n")
    time.sleep(1.5)
    assert datagrams(listener, heard.address) == []
    ask(lan, heard)
    answer = wait_for(lambda: datagrams(listener, heard.address), what="the answer")[0]
    connected_ms, assigned_ms = map(int, ANSWER.fullmatch(answer).groups())
    assert 0 <= connected_ms - assigned_ms < 2000 and connected_ms < (time.monotonic() - connected_at + 2) * 1000

    # The second copy finds the line up, asks the LAN and takes the first answer.
    second, second_running = start_copy(starting, status=5, extra="ZEPConRequest=1\n")
    query = wait_for(lambda: datagrams(listener, starting.address), what="the broadcast query")
    assert query == [QUERY]
    wait_for(lambda: page_shows(second, ADDRESS), what="the IP page of the copy that asked")

    # Its own answers now carry what it learned: the same times, counted on from the answer.
    ask(lan, starting)
    answers = wait_for(lambda: datagrams(listener, starting.address)[1:], what="the second copy's answer")
    learned_ms, learned_assigned_ms = map(int, ANSWER.fullmatch(answers[0]).groups())
    assert learned_ms - learned_assigned_ms == pytest.approx(connected_ms - assigned_ms, abs=300)
    since_connect = (time.monotonic() - connected_at) * 1000
    assert learned_ms == pytest.approx(since_connect, abs=2500)

    # A quit waits for the router's report that the line is down.
    for pc in lan.pcs:
        RouterSim(lan, pc).disconnect()
    first.quit(first_running)
    second.quit(second_running)


def test_a_flood_of_queries_and_broken_answers_leaves_the_copy_responsive(lan):
    listener = listen(lan)
    zep, running = start_copy(lan.pc, status=3)
    controller = zep.controller(settle=0)

    # Unreadable answers from the LAN are dropped without a word.
    for payload in (b"Answer,198.51.100.1:abc@5", b"Answer,198.51.100.1:5@x", b"Answer,198.51.100.1:99999999999@1"):
        ask(lan, lan.pc, payload)
    RouterSim(lan).connect()
    RouterSim(lan).ip(ADDRESS)
    wait_for(lambda: page_shows(zep, ADDRESS), what="the IP page with the router's address")
    assert [w for w in lan.pc.windows() if w.cls == "#32770" and w.visible] == []

    flood = ("import socket, sys\n"
             "s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
             "for _ in range(500): s.sendto(b'RequestNWGCondition', (sys.argv[1], 4448))\n")
    started = time.monotonic()
    lan.router.python(flood, lan.pc.address)
    # The window answers at once while the queries are worked off.
    lan.pc.send(controller, 0, timeout_ms=2000)  # WM_NULL
    time.sleep(3)
    answers = datagrams(listener, lan.pc.address)
    assert answers and all(ANSWER.fullmatch(a) for a in answers)
    # One datagram a second at most, and one asker is answered once per pause.
    assert len(answers) <= time.monotonic() - started + 1
    RouterSim(lan).disconnect()
    zep.quit(running)


def test_an_ntp_line_sets_the_clock_from_the_router_by_one_sntp_request(lan):
    wall_offset = time.time() - time.monotonic()
    router_clock = RouterSim(lan).send("sntp", "--clock-offset", 3600, background=True)
    router_clock.wait_for_output("SNTP-SERVE")
    zep = Zep(lan.pc)
    tool = Tool(lan.pc, Status=3, Default=0)
    zep.write_ini(f"[ZEP]\nSetupUtility={tool.path}\nIPAddress={ROUTER_ADDRESS}\nUseSNTP=1\n")
    # Wine refuses to move the clock and says by how much it was asked to.
    running = zep.start(env={"WINEDEBUG": "-all,err+sync"})
    zep.controller()

    RouterSim(lan).ntp()
    refusal = wait_for(lambda: re.search(r"NtSetSystemTime not allowed: difference (-?\d+) ms", running.error_output()),
                       what="the clock setting")
    assert int(refusal[1]) == pytest.approx(3_600_000, abs=3000)
    # The user is told in a balloon at the tray icon (Wine's tray draws it as a tooltip window).
    balloon = wait_for(lambda: [w for w in lan.pc.windows() if w.cls == "tooltips_class32" and w.visible],
                       what="the balloon that the clock was not set")[0]
    lan.pc.screenshot(balloon, "clock-not-set-balloon.png")
    assert [w for w in lan.pc.windows() if w.cls == "#32770"] == []  # no box
    time.sleep(1)
    requests = re.findall(r"^SNTP (\S+):\d+ \[(.*)\]$", router_clock.output(), re.M)
    assert len(requests) == 1
    sender, request = requests[0]
    assert sender == lan.pc.address
    request = lines.unescape(request)
    # Version 1, client mode, and a random transmit timestamp that the reply must return.
    assert request[:40] == b"\x0b" + bytes(39) and len(request) == 48 and request[40:] != bytes(8)
    # This machine's clock was not touched.
    assert time.time() - time.monotonic() == pytest.approx(wall_offset, abs=1)
    zep.quit(running)
    router_clock.kill()
