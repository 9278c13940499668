"""Reading what probe.exe prints."""

import re
from dataclasses import dataclass, field


class ProbeError(RuntimeError):
    def __init__(self, args, returncode, stderr, stdout=""):
        self.args_ = list(args)
        self.returncode = returncode
        self.stderr = stderr.strip()
        self.stdout = stdout
        super().__init__(f"probe {' '.join(map(str, args))} -> exit {returncode}: {self.stderr}")


_ESC = re.compile(r"\\(\\|n|r|t|x[0-9a-fA-F]{2})")


def unescape(s):
    def one(m):
        e = m.group(1)
        return {"\\": "\\", "n": "\n", "r": "\r", "t": "\t"}.get(e) or chr(int(e[1:], 16))

    return _ESC.sub(one, s)


def _rect(s):
    return tuple(int(v) for v in s.split(","))


@dataclass
class Window:
    hwnd: int
    cls: str
    title: str
    visible: bool
    pid: int  # the Windows process id
    x11: int  # 0 while Wine has no X window for it
    rect: tuple  # screen coordinates (left, top, right, bottom)
    client: tuple  # the client area, screen coordinates
    enabled: bool = True  # takes input (a modal window elsewhere disables its owner)
    topmost: bool = False  # WS_EX_TOPMOST

    @property
    def arg(self):
        """The probe argument naming exactly this window."""
        return f"hwnd=0x{self.hwnd:x}"

    @property
    def size(self):
        return self.rect[2] - self.rect[0], self.rect[3] - self.rect[1]


_WINDOW = re.compile(
    r"^hwnd=(0x[0-9a-f]+) class=(\S*) title=(.*) visible=([01]) pid=(\d+) x11=(0x[0-9a-f]+) "
    r"rect=(-?\d+,-?\d+,-?\d+,-?\d+) client=(-?\d+,-?\d+,-?\d+,-?\d+) enabled=([01]) topmost=([01])$"
)


def parse_window(line):
    m = _WINDOW.match(line.rstrip("\n"))
    if not m:
        raise ValueError(f"not a window line: {line!r}")
    return Window(
        hwnd=int(m[1], 16),
        cls=unescape(m[2]),
        title=unescape(m[3]),
        visible=m[4] == "1",
        pid=int(m[5]),
        x11=int(m[6], 16),
        rect=_rect(m[7]),
        client=_rect(m[8]),
        enabled=m[9] == "1",
        topmost=m[10] == "1",
    )


def parse_windows(text):
    return [parse_window(l) for l in text.splitlines() if l.startswith("hwnd=")]


@dataclass
class Item:
    """A list box / combo box entry or a tab."""

    index: int
    selected: bool
    text: str


@dataclass
class Control:
    hwnd: int
    parent: int
    id: int
    cls: str
    enabled: bool
    visible: bool
    checked: object  # None for controls without a check state, else 0/1/2 (BST_*)
    rect: tuple
    text: str
    count: object = None  # list, combo and tab controls
    cur: object = None
    pos: object = None  # up-down controls
    items: list = field(default_factory=list)

    @property
    def arg(self):
        return f"hwnd=0x{self.hwnd:x}"


_FIELD = re.compile(r"(\w+)=(\S*) ")


def parse_controls(text):
    controls = []
    for line in text.splitlines():
        if line.startswith("  "):
            m = re.match(r"^  (?:item|tab)=(\d+) selected=([01]) text=(.*)$", line)
            if not m or not controls:
                raise ValueError(f"unexpected line from probe controls: {line!r}")
            controls[-1].items.append(Item(int(m[1]), m[2] == "1", unescape(m[3])))
            continue
        head, sep, text_part = line.partition(" text=")
        if not sep:
            raise ValueError(f"unexpected line from probe controls: {line!r}")
        f = dict(_FIELD.findall(head + " "))
        controls.append(
            Control(
                hwnd=int(f["hwnd"], 16),
                parent=int(f["parent"], 16),
                id=int(f["id"]),
                cls=unescape(f["class"]),
                enabled=f["enabled"] == "1",
                visible=f["visible"] == "1",
                checked=None if f["checked"] == "-" else int(f["checked"]),
                rect=_rect(f["rect"]),
                text=unescape(text_part),
                count=int(f["count"]) if "count" in f else None,
                cur=int(f["cur"]) if "cur" in f else None,
                pos=int(f["pos"]) if "pos" in f else None,
            )
        )
    return controls


@dataclass
class MenuItem:
    index: int
    id: int
    flags: frozenset  # separator, radio, checked, disabled, default, popup
    text: str


def parse_menu(text):
    lines = text.splitlines()
    window = parse_window(lines[0])
    items = []
    for line in lines[1:]:
        m = re.match(r"^  item=(\d+) id=(-?\d+) flags=(\S+) text=(.*)$", line)
        if not m:
            raise ValueError(f"unexpected line from probe menu: {line!r}")
        flags = frozenset() if m[3] == "-" else frozenset(m[3].split(","))
        items.append(MenuItem(int(m[1]), int(m[2]), flags, unescape(m[4])))
    return window, items


def window_arg(window=None, *, cls=None, title=None):
    """The probe's window argument from a Window, a ready string, or class/title."""
    if isinstance(window, (Window, Control)):
        return window.arg
    if window is not None:
        if cls or title:
            raise TypeError("give either a window or cls/title")
        return window
    if cls and title:
        return f"class={cls},title={title}"
    if cls:
        return f"class={cls}"
    if title is not None:
        return f"title={title}"
    raise TypeError("no window given")
