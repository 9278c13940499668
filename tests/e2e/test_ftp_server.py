"""The test FTP server: what a client sends reaches the transcript and the disk unchanged; canned
replies, silence and the slow data connection behave as the upload tests rely on."""

import json
import textwrap

import pytest

from zeptest import Lan
from zeptest.ftp_server import FtpServer, Store

PAGE = b"<html>\r\n<p>IP: 198.51.100.7</p>\n\x82\xa0\r\n</html>\r\n"  # CRLF, a lone LF, cp932


@pytest.fixture
def net(_can_run, wine_template, artifacts):
    """The router (192.168.0.1) and a Linux client (192.168.0.3); no Windows PC, so no Wine runs."""
    with Lan(None, wine_template, pcs=0, artifacts=artifacts) as lan:
        lan.client = lan.add_host("client", "192.168.0.3")
        yield lan


@pytest.fixture
def serve(net, tmp_path):
    """Starts an FtpServer on the router with the given options; stopped after the test."""
    started = []

    def start(**options):
        started.append(FtpServer(net.router, tmp_path / "ftp", **options).start())
        return started[-1]

    yield start
    for server in started:
        server.stop()


def session(net, server, body):
    """Runs ftplib on the client: `body` uses `ftp` (connected, not logged in), `data` (PAGE) and
    `out`, a list returned as JSON."""
    code = (
        "import ftplib, io, json, socket, struct, sys, time\n"
        "data = bytes.fromhex(sys.argv[2]); out = []\n"
        "ftp = ftplib.FTP(); ftp.connect(sys.argv[1], 21, timeout=10)\n"
        "ftp.login(sys.argv[3], sys.argv[4])\n" + textwrap.dedent(body) + "\nprint(json.dumps(out))\n"
    )
    r = net.client.python(code, server.address, PAGE.hex(), server.user, server.password, timeout=60)
    return json.loads(r.stdout)


def test_active_ascii_upload_is_stored_as_sent_and_transcribed_in_order(net, serve):
    server = serve(login_dir="/home/zepuser")
    server.local_path("/home/zepuser/www").mkdir()
    out = session(net, server, """
        ftp.set_pasv(False)
        out.append(ftp.sendcmd("TYPE A"))
        out.append(ftp.pwd())
        out.append(ftp.cwd("www"))
        conn = ftp.transfercmd("STOR ip.html")   # TYPE stays A: the bytes go as they are
        conn.sendall(data); conn.close()
        out.append(ftp.voidresp())
        out.append(ftp.quit())
    """)

    assert out[1] == "/home/zepuser"
    assert server.local_path("/home/zepuser/www/ip.html").read_bytes() == PAGE
    assert server.stores() == [Store("/home/zepuser/www/ip.html", "A", "active", len(PAGE), True)]

    commands = server.commands()
    assert commands[:5] == ["USER zepuser", "PASS zep-secret", "TYPE A", "PWD", "CWD www"]
    assert commands[5].startswith("PORT 192,168,0,3,") and commands[6:] == ["STOR ip.html", "QUIT"]
    # each command followed by its reply, the greeting first
    heads = [line[:5] for line in server.lines()]
    assert heads == ["< 220", "> USE", "< 331", "> PAS", "< 230", "> TYP", "< 200", "> PWD", "< 257", "> CWD",
                     "< 250", "> POR", "< 200", "> STO", "< 125", "< 226", "* STO", "> QUI", "< 221"]
    assert '257 "/home/zepuser" is the current directory.' in server.replies()


def test_canned_replies_and_silence_replace_only_the_named_commands(net, serve):
    server = serve(replies={"CWD private": "550 No access.", "STOR": "553 Not here.", "NOOP": None})
    server.local_path("/www").mkdir()
    out = session(net, server, """
        for step in (lambda: ftp.cwd("private"), lambda: ftp.cwd("www"),
                     lambda: ftp.storbinary("STOR x", io.BytesIO(data))):
            try: out.append(step())
            except ftplib.Error as e: out.append(str(e))
        ftp.sock.settimeout(2)
        try: out.append(ftp.sendcmd("NOOP"))
        except socket.timeout: out.append("silence")
    """)

    assert out == ["550 No access.", '250 "/www" is the current directory.', "553 Not here.", "silence"]
    assert server.lines()[-1] == "> NOOP"
    assert server.stores() == [] and not server.local_path("/www/x").exists()


def test_slow_server_reads_at_its_pace_and_a_reset_upload_is_incomplete(net, serve):
    server = serve(slow=1000)
    out = session(net, server, """
        t0 = time.monotonic()
        out.append(ftp.storbinary("STOR small", io.BytesIO(data * 60)))   # passive, TYPE I
        out.append(time.monotonic() - t0)
        conn = ftp.transfercmd("STOR big")
        conn.settimeout(1)
        try: conn.sendall(data * 100000)
        except socket.timeout: out.append("stalled")
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        conn.close()   # a reset, not the end of the file
        try: ftp.voidresp()
        except ftplib.Error as e: out.append(str(e)[:3])
    """)

    assert out[0].startswith("226") and out[1] >= 1.0, "2.7 KB read at 1000 bytes/s takes over a second"
    assert out[2:] == ["stalled", "426"]
    server.wait_for(r"^\* STOR /big ")
    small, big = server.stores()
    assert small == Store("/small", "I", "passive", 60 * len(PAGE), True)
    assert (big.path, big.complete) == ("/big", False) and big.size < 100000 * len(PAGE)
