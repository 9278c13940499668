"""An FTP server for the tests: pyftpdlib on port 21 inside a host's namespace, with a transcript.

    ftp = FtpServer(lan.router, tmp / "ftp", login_dir="/home/zepuser", slow=300,
                    replies={"CWD private": "550 No access.", "STOR": None}).start()
    ftp.local_path("/home/zepuser/www").mkdir()
    ... the PC uploads to lan.router.address ...
    ftp.commands()      # ["USER zepuser", "PASS ...", "TYPE A", "PWD", "CWD www", "PORT ...", ...]
    ftp.stores()        # [Store(path="/home/zepuser/www/ip.html", type="A", mode="active", size=.., complete=True,
                        #        secure=False)]
    ftp.stop()

The server's tree is the folder `root`; the user logs in to `login_dir` (an FTP path under it, made
here), so PWD answers with that path. Files are stored exactly as received, whatever the TYPE, so a
test sees the client's bytes. The transcript (a file in the test's artifacts) holds, in order,
"> " + each line received (bytes read as cp932), "< " + each line sent, and "* STOR ..." for each
upload when its data connection ends.

With `tls` (a PEM file holding the certificate chain and the key) the server speaks explicit TLS
(AUTH TLS) and requires it: USER and PASS are refused on a clear control connection, PORT and
PASV/EPSV without PROT P. The transcript holds the lines as the server read them, after TLS.

Run as `python3 -m zeptest.ftp_server CONFIG_JSON` (in tests/e2e), the module is the server itself.
"""

import json
import os
import re
import socket
import sys
import time
from collections import namedtuple
from pathlib import Path, PurePosixPath

from . import proc

PORT = 21
_E2E = Path(__file__).resolve().parents[1]

Store = namedtuple("Store", "path type mode size complete secure", defaults=[False])
_STORE = re.compile(r"^\* STOR (.*) type=(\S+) mode=(\S+) bytes=(\d+) complete=(yes|no) secure=(yes|no)$")


class FtpServer:
    """pyftpdlib in `host`'s namespace, port 21, one user.

    - slow: bytes per second the data connection is read at (0: as fast as it comes).
    - replies: {"VERB": reply} or {"VERB argument": reply} (the exact command line wins over the
      verb): the server answers the command with `reply` instead of carrying it out, or says
      nothing at all when `reply` is None.
    """

    def __init__(self, host, root, *, user="zepuser", password="zep-secret", login_dir="/", slow=0, replies=None,
                 tls=None):
        self.host = host
        self.root = Path(root)
        self.user = user
        self.password = password
        self.login_dir = login_dir
        self.transcript = host.lan.artifact_path(f"ftp-{host.name}-transcript.txt")
        self._config = {
            "root": str(self.root), "user": user, "password": password, "login_dir": login_dir,
            "slow": slow, "replies": replies or {}, "transcript": str(self.transcript),
            "tls": str(tls) if tls else None,
        }
        self._process = None

    @property
    def address(self):
        return self.host.address

    def start(self, timeout=15.0):
        """Starts the server; returns once port 21 takes connections."""
        self.local_path(self.login_dir).mkdir(parents=True, exist_ok=True)
        self.transcript.write_text("", encoding="utf-8")
        self._process = self.host.popen(
            ["/usr/bin/python3", "-m", "zeptest.ftp_server", json.dumps(self._config)],
            cwd=_E2E,
            log=self.host.lan.log_path(f"{self.host.name}-ftp-server"),
        )
        self._process.wait_for_output(rf"(?m)^LISTENING {PORT}$", timeout)
        return self

    def stop(self):
        """Ends the server process (by its PID)."""
        if self._process is not None:
            if self._process.poll() is None:
                self._process.terminate()
            proc.reap(self._process, 5)
            self._process = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def local_path(self, ftp_path):
        """The Linux path of an FTP path (absolute, as PWD shows it)."""
        return self.root.joinpath(*PurePosixPath("/", ftp_path).parts[1:])

    def lines(self):
        """The transcript so far: "> command", "< reply line", "* STOR ..."."""
        return self.transcript.read_text(encoding="utf-8").splitlines()

    def commands(self):
        return [line[2:] for line in self.lines() if line.startswith("> ")]

    def replies(self):
        return [line[2:] for line in self.lines() if line.startswith("< ")]

    def stores(self):
        """Each upload whose data connection has ended: Store(path, type "A"/"I", mode
        "active"/"passive", bytes received, complete, secure: the data connection was under TLS)."""
        found = [m for m in map(_STORE.match, self.lines()) if m]
        return [Store(m[1], m[2], m[3], int(m[4]), m[5] == "yes", m[6] == "yes") for m in found]

    def wait_for(self, pattern, timeout=10.0):
        """Waits until a transcript line matches `pattern` (a regex); returns the match."""
        rx = re.compile(pattern)
        end = time.monotonic() + timeout
        while True:
            for line in self.lines():
                m = rx.search(line)
                if m:
                    return m
            if self._process is None or self._process.poll() is not None:
                raise AssertionError("the FTP server is not running")
            if time.monotonic() > end:
                lines = "\n".join(self.lines())
                raise AssertionError(f"no /{pattern}/ in the FTP transcript within {timeout} s:\n{lines}")
            time.sleep(0.05)


def _serve(config):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
    from pyftpdlib.servers import FTPServer

    control_base, data_base = FTPHandler, ThrottledDTPHandler
    if config["tls"]:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
        control_base, data_base = TLS_FTPHandler, TLS_DTPHandler

    transcript = open(config["transcript"], "a", encoding="utf-8", buffering=1)
    replies = config["replies"]

    def note(mark, text):
        transcript.write(f"{mark} {text}\n")

    class DataHandler(data_base):
        read_limit = config["slow"]

        def enable_receiving(self, type, cmd):
            super().enable_receiving("i", cmd)  # no line-end conversion: stored as received

        def recv(self, buffer_size):
            # A reset ends the transfer at once, as on Windows, not after what was queued before
            # it has been read at the slow pace.
            error = self.socket.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR)  # through TLS too
            if error:
                raise OSError(error, os.strerror(error))
            return super().recv(buffer_size)

    class Handler(control_base):
        dtp_handler = DataHandler
        certfile = config["tls"]
        tls_control_required = True
        tls_data_required = True
        banner = "zeptest FTP server ready."
        _data_mode = None
        _stor_as = None

        def found_terminator(self):
            note(">", b"".join(self._in_buffer).decode("cp932", "backslashreplace"))
            super().found_terminator()

        def push(self, s):
            for line in s.splitlines():
                note("<", line)
            super().push(s)

        def pre_process_command(self, line, cmd, arg):
            key = next((k for k in (f"{cmd} {arg}", cmd) if k in replies), None)
            if key is None:
                super().pre_process_command(line, cmd, arg)
            elif replies[key] is not None:
                self.respond(replies[key])

        def on_login(self, username):
            self.fs.cwd = config["login_dir"]

        def ftp_PORT(self, line):
            self._data_mode = "active"
            return super().ftp_PORT(line)

        def ftp_EPRT(self, line):
            self._data_mode = "active"
            return super().ftp_EPRT(line)

        def ftp_PASV(self, line):
            self._data_mode = "passive"
            return super().ftp_PASV(line)

        def ftp_EPSV(self, line):
            self._data_mode = "passive"
            return super().ftp_EPSV(line)

        def ftp_STOR(self, file, mode="w"):
            # Noted now: when the control connection ends first, its file system is gone by the
            # time the data connection reports the end of the transfer.
            self._stor_as = (self._current_type.upper(), self._data_mode, self.fs.fs2ftp(file),
                             getattr(self, "_prot", False))
            return super().ftp_STOR(file, mode)

        def on_file_received(self, file):
            self._note_store(file, True)

        def on_incomplete_file_received(self, file):
            self._note_store(file, False)

        def _note_store(self, file, complete):
            type_, mode, path, secure = self._stor_as
            # The file holds exactly what came (stored as received); the data channel may be gone
            # already when the control connection ended first.
            size = os.path.getsize(file) if os.path.exists(file) else 0
            note("*", f"STOR {path} type={type_} mode={mode} bytes={size} "
                      f"complete={'yes' if complete else 'no'} secure={'yes' if secure else 'no'}")

    authorizer = DummyAuthorizer()
    authorizer.add_user(config["user"], config["password"], config["root"], perm="elradfmwMT")
    Handler.authorizer = authorizer
    server = FTPServer(("", PORT), Handler)
    print(f"LISTENING {PORT}", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    _serve(json.loads(sys.argv[1]))
