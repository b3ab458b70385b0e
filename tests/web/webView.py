#!/usr/bin/env python3
"""The screen in a browser, tried from outside, on the loopback alone: the board's launcher
(board/package/quarn24ex-web) runs the desktop build against the simulated head, with the
service interface set to the loopback device.
  webView.py screen    in headless Chromium the page asks the password, then shows the
                       program's own screen grab pixel for pixel (home, bar graph, chart),
                       and a click acts as a touch (the head receives the power level)
  webView.py intruder  what listens, the VNC port tried directly, the entry without and with
                       a wrong password, and no view at all without a password"""

import argparse
import base64
import errno
import fcntl
import hashlib
import json
import os
import re
import shutil
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE = os.path.join(HERE, "..", "..", "board", "package")
PANEL = (240, 320)
BAR_GRAPH_BUTTON = (70, 113)
CHART_BUTTON = (170, 113)
HOME_BUTTON = (120, 292)
POWER_UP = (22, 100)  # the bar graph's power bar, upper half
STATUS_BAR = 40
TIME = (48, 0, 62, 36)  # the status bar's time, between the camera and the battery
POWER_LEVEL_AFTER_UP = 16  # one step above the simulated head's 15 (75 %)
# Most a channel of the browser's picture may differ from the program's grab, of 255.
TOLERANCE = 2
QUIET = 1.0  # seconds a screen stands still before it is compared
PASSWORD = "trainee-" + base64.b32encode(os.urandom(10)).decode()


def fail(text):
    raise SystemExit("web view: " + text)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Lines:
    """Lines of a child's output, read as they come, to wait on without polling."""

    def __init__(self, stream):
        self.lines = []
        self._changed = threading.Condition()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for raw in stream:
            with self._changed:
                self.lines.append(raw.decode(errors="replace").rstrip("\n"))
                self._changed.notify_all()
        with self._changed:
            self.lines.append(None)
            self._changed.notify_all()

    def wait(self, pattern, timeout, start=0):
        """The first line from index start on that matches; fails at the end or timeout."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                for line in self.lines[start:]:
                    if line is None:
                        fail(f"ended before {pattern!r}:\n" + "\n".join(self.lines[-20:-1]))
                    if re.search(pattern, line):
                        return line
                start = len(self.lines)
                if not self._changed.wait(deadline - time.monotonic()):
                    fail(f"timed out waiting for {pattern!r}")


class View:
    """The simulated head and the board's launcher with the desktop build in it."""

    def __init__(self, args, run, password, vnc_port):
        self.run, self.port, self.vnc_port = run, free_port(), vnc_port
        self.tls = os.path.join(run, "tls")
        self.head = subprocess.Popen([args.headsim, "--link", os.path.join(run, "tty"),
                                      "--rate", "0"],
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.frames = Lines(self.head.stderr)
        try:
            Lines(self.head.stdout).wait(r"^quarn-headsim: line ", 30)
        except SystemExit:
            self.head.kill()
            raise
        env = dict(os.environ, QUARN_WEB_PASSWORD=password, QUARN_WEB_INTERFACE="lo",
                   QUARN_WEB_PORT=str(self.port), QUARN_WEB_TLS=self.tls,
                   QUARN_WEB_ROOT=os.path.join(PACKAGE, "web"),
                   QUARN_WEB_VNC_PORT=str(vnc_port), QT_PLUGIN_PATH=args.plugins,
                   QT_QPA_GENERIC_PLUGINS="quarnscreengrab")
        self.launcher = subprocess.Popen(
            [os.path.join(PACKAGE, "quarn24ex-web"), args.desktop, "--serial",
             os.path.join(run, "tty"), "--root", os.path.join(run, "board")],
            env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.log = Lines(self.launcher.stderr)
        self.grabs = Lines(self.launcher.stdout)

    def wait_ready(self):
        self.log.wait(r"proxying from inetd", 60)
        self.log.wait(r"QVncServer created on port %d" % self.vnc_port, 60)

    def grab(self, name):
        """The program's own screen grab: its PNG file and its RGB rows."""
        path = os.path.join(self.run, name + ".png")
        start = len(self.grabs.lines)
        self.launcher.stdin.write(path.encode() + b"\n")
        self.launcher.stdin.flush()
        self.grabs.wait("^grabbed " + re.escape(path) + "$", 30, start)
        with open(path, "rb") as f:
            return path, png_rgb(f.read())[1]

    def pids(self):
        """The launcher (now the program) and everything it started."""
        found, todo = [], [self.launcher.pid]
        while todo:
            pid = todo.pop()
            found.append(pid)
            try:
                with open(f"/proc/{pid}/task/{pid}/children") as f:
                    todo += [int(p) for p in f.read().split()]
            except OSError:
                pass
        return found

    def stop(self, *others):
        for p in (*others, self.launcher, self.head):
            p.terminate()
            try:
                p.wait(15)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()


def png_rgb(data):
    """Size and RGB rows of a PNG as Chromium and Qt write it (8 bits, RGB or RGBA)."""
    chunks, pos = {}, 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks[kind] = chunks.get(kind, b"") + data[pos + 8:pos + 8 + length]
        pos += 12 + length
    width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    if depth != 8 or colour not in (2, 6):
        fail(f"unexpected PNG: depth {depth}, colour type {colour}")
    step = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(chunks[b"IDAT"]), width * step
    rows, prior = [], bytearray(stride)
    for y in range(height):
        kind, row = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - step] if i >= step else 0
            b, c = prior[i], prior[i - step] if i >= step else 0
            p = a + b - c
            predictor = [0, a, b, (a + b) // 2,
                         a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c)
                         else b if abs(p - b) <= abs(p - c) else c][kind]
            row[i] = (row[i] + predictor) & 255
        rows.append(bytes(row) if step == 3 else bytes(v for j, v in enumerate(row) if j % 4 != 3))
        prior = row
    return (width, height), b"".join(rows)


def ink_rows(rgb, area):
    """The first and last row with bright ink within area (x, y, width, height)."""
    x0, y0, width, height = area
    rows = [y for y in range(y0, y0 + height)
            if any(max(rgb[(y * PANEL[0] + x) * 3:(y * PANEL[0] + x) * 3 + 3]) > 128
                   for x in range(x0, x0 + width))]
    return rows[0], rows[-1]


def difference(a, b):
    """The largest channel difference and the number of pixels that differ at all."""
    most, pixels = 0, 0
    for i in range(0, len(a), 3):
        d = max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2]))
        most, pixels = max(most, d), pixels + (d > 0)
    return most, pixels


class Browser:
    """Headless Chromium over its DevTools pipe (fds 3 and 4), trusting the unit's
    certificate alone and answering its password prompt as a technician would."""

    def __init__(self, profile, spki, password):
        to_chrome_r, self._to_chrome = os.pipe()
        self._from_chrome, from_chrome_w = os.pipe()

        def plumb():
            # Out of the way first: either end may sit on fd 3 or 4 already.
            read_end = fcntl.fcntl(to_chrome_r, fcntl.F_DUPFD, 10)
            write_end = fcntl.fcntl(from_chrome_w, fcntl.F_DUPFD, 10)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.process = subprocess.Popen(
            [shutil.which("chromium"), "--headless", "--no-sandbox", "--disable-gpu",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--force-device-scale-factor=1", "--window-size=400,500",
             f"--ignore-certificate-errors-spki-list={spki}", f"--user-data-dir={profile}",
             "--remote-debugging-pipe", "about:blank"],
            pass_fds=(3, 4, to_chrome_r, from_chrome_w), preexec_fn=plumb,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self._buffer, self._id, self.session, self.prompts = b"", 0, None, 0
        self._password = password
        page = next(t for t in self.call("Target.getTargets")["targetInfos"]
                    if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"],
                                 flatten=True)["sessionId"]
        self.call("Fetch.enable", handleAuthRequests=True)

    def _send(self, method, params):
        self._id += 1
        message = {"id": self._id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self._to_chrome, json.dumps(message).encode() + b"\0")
        return self._id

    def _event(self, message):
        params = message.get("params", {})
        if message.get("method") == "Fetch.requestPaused":
            self._send("Fetch.continueRequest", {"requestId": params["requestId"]})
        elif message.get("method") == "Fetch.authRequired":
            self.prompts += 1
            self._send("Fetch.continueWithAuth", {"requestId": params["requestId"],
                       "authChallengeResponse": {"response": "ProvideCredentials",
                                                 "username": "service",
                                                 "password": self._password}})

    def call(self, method, **params):
        wanted = self._send(method, params)
        while True:
            while b"\0" not in self._buffer:
                chunk = os.read(self._from_chrome, 1 << 16)
                if not chunk:
                    fail("Chromium went away")
                self._buffer += chunk
            raw, self._buffer = self._buffer.split(b"\0", 1)
            message = json.loads(raw)
            if "method" in message:
                self._event(message)
            elif message.get("id") == wanted:
                if "error" in message:
                    fail(f"{method}: {message['error']}")
                return message["result"]

    def evaluate(self, expression):
        return self.call("Runtime.evaluate", expression=expression,
                         returnByValue=True)["result"].get("value")

    def screen_origin(self):
        return self.evaluate("""(() => { const c = document.querySelector('#screen canvas');
            if (!c || c.width !== 240 || c.height !== 320) return null;
            const r = c.getBoundingClientRect(); return [r.left, r.top]; })()""")

    def screenshot(self, origin):
        shot = self.call("Page.captureScreenshot", format="png", clip={
            "x": origin[0], "y": origin[1], "width": PANEL[0], "height": PANEL[1], "scale": 1})
        return base64.b64decode(shot["data"])

    def click(self, origin, point):
        x, y = origin[0] + point[0], origin[1] + point[1]
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)


def wait_for(what, predicate, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    fail(f"timed out waiting for {what}")


def spki_hash(cert):
    key = subprocess.run(["openssl", "x509", "-pubkey", "-noout", "-in", cert],
                         check=True, capture_output=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "der"], input=key,
                         check=True, capture_output=True).stdout
    return base64.b64encode(hashlib.sha256(der).digest()).decode()


def screen(args, run):
    view, browser = View(args, run, PASSWORD, 5900), None
    try:
        view.wait_ready()
        browser = Browser(os.path.join(run, "profile"),
                          spki_hash(os.path.join(view.tls, "cert.pem")), PASSWORD)
        browser.call("Page.navigate", url=f"https://127.0.0.1:{view.port}/")
        wait_for("the page to connect", lambda: browser.evaluate(
            "document.documentElement.dataset.view") == "connected", 60)
        origin = wait_for("the screen", browser.screen_origin, 30)
        print(f"web view: connected after {browser.prompts} password prompt(s)")
        if browser.prompts < 1:
            fail("the page was shown without the password")

        def same_as_grab(name, before=None):
            """The grab and the browser's picture of a screen that has stood still for QUIET
            seconds (a page slides in for half a second), other than the grab before."""
            deadline, best, last, since, shot = time.monotonic() + 60, (256, 0), None, 0, b""
            while True:
                path, grab = view.grab(name)
                if grab != last:
                    last, since = grab, time.monotonic()
                if grab != before and time.monotonic() - since >= QUIET:
                    shot = browser.screenshot(origin)
                    size, pixels = png_rgb(shot)
                    found = difference(grab, pixels) if size == PANEL else (255, -1)
                    if found[0] <= TOLERANCE and view.grab(name)[1] == grab:
                        with open(os.path.join(args.out, f"web_{name}.png"), "wb") as f:
                            f.write(shot)
                        print(f"web view: {name}: the browser's picture differs from the "
                              f"grab by at most {found[0]} levels, in {found[1]} pixels")
                        return grab, pixels
                    best = min(best, found)
                if time.monotonic() > deadline:
                    shutil.copy(path, os.path.join(args.out, f"grab_{name}.png"))
                    with open(os.path.join(args.out, f"web_{name}.png"), "wb") as f:
                        f.write(shot)
                    fail(f"{name}: the browser's picture is not the grab (at best {best[0]} "
                         f"levels in {best[1]} pixels); pictures in {args.out}")
                time.sleep(0.05)

        home, seen = same_as_grab("home")
        with open(os.path.join(args.gallery, "home.png"), "rb") as f:
            _, gallery = png_rgb(f.read())
        below = difference(seen[STATUS_BAR * PANEL[0] * 3:], gallery[STATUS_BAR * PANEL[0] * 3:])
        if below[0] > TOLERANCE or ink_rows(seen, TIME) != ink_rows(gallery, TIME):
            fail(f"the home screen is not the gallery's, drawn as on the panel: below the status "
                 f"bar {below[0]} levels in {below[1]} pixels, the time's rows "
                 f"{ink_rows(seen, TIME)} for {ink_rows(gallery, TIME)}")
        print(f"web view: home: as the gallery's below the status bar ({below[0]} levels), the "
              f"time as high (rows {ink_rows(seen, TIME)})")
        browser.click(origin, BAR_GRAPH_BUTTON)
        bars, _ = same_as_grab("bargraph", home)
        start = len(view.frames.lines)
        browser.click(origin, POWER_UP)
        frame = view.frames.wait(r"SetPowerLevelMsg", 30, start)
        if not frame.endswith(" body %02x" % POWER_LEVEL_AFTER_UP):
            fail("the touch on the power bar did not raise the level one step: " + frame)
        print("web view: the head received " + frame.strip())
        browser.click(origin, HOME_BUTTON)
        same_as_grab("home", bars)
        browser.click(origin, CHART_BUTTON)
        same_as_grab("chart", home)
    finally:
        view.stop(*([browser.process] if browser else []))


WEBSOCKET = ("GET /websockify HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
             "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
             "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Protocol: binary\r\n")
PAGE = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n"
# What is tried, over TLS or not, with which user:password, the answer's first bytes, and
# whether the VNC server is reached. The last, with the password, shows that the others
# are refused by the entry and not by a broken relay.
ENTRY = [
    ("the page without TLS", False, PAGE, None, b"", False),
    ("the page, no password", True, PAGE, None, b"HTTP/1.1 401 ", False),
    ("the screen, no password", True, WEBSOCKET, None, b"HTTP/1.1 401 ", False),
    ("the screen, a wrong password", True, WEBSOCKET, "service:" + PASSWORD[:-1],
     b"HTTP/1.1 401 ", False),
    ("the screen, the password", True, WEBSOCKET, "service:" + PASSWORD, b"HTTP/1.1 101 ", True),
]


def namespace_sockets(pid):
    """Port and state (0A listening) of every socket in the network namespace of pid."""
    found = []
    for table in ("tcp", "tcp6", "udp", "udp6"):
        with open(f"/proc/{pid}/net/{table}") as f:
            for fields in (line.split() for line in f.readlines()[1:]):
                found.append((table, int(fields[1].rsplit(":", 1)[1], 16), fields[3]))
    return found


def ask(port, cafile, tls, request, user_password, relayed):
    """Everything the entry sends back, up to its close or the start of the screen, and
    what relayed() says before the connection closes."""
    if user_password:
        request += "Authorization: Basic %s\r\n" % base64.b64encode(user_password.encode()).decode()
    context = ssl.create_default_context(cafile=cafile)
    context.check_hostname = False  # the unit's own certificate, checked against itself
    with socket.create_connection(("127.0.0.1", port), timeout=20) as raw:
        with (context.wrap_socket(raw) if tls else raw) as conn:
            conn.sendall((request + "\r\n").encode())
            answer = b""
            try:
                while b"RFB 003." not in answer:
                    chunk = conn.recv(4096)
                    if not chunk:
                        break
                    answer += chunk
            except ConnectionResetError:
                pass
            return answer, relayed()


def intruder(args, run):
    for password in ("", PASSWORD[:7]):
        port = free_port()
        env = dict(os.environ, QUARN_WEB_PASSWORD=password, QUARN_WEB_INTERFACE="lo",
                   QUARN_WEB_PORT=str(port), QUARN_WEB_TLS=os.path.join(run, "tls"))
        done = subprocess.run([os.path.join(PACKAGE, "quarn24ex-web"), args.desktop], env=env,
                              capture_output=True, timeout=60)
        if done.returncode != 1 or b"QUARN_WEB_PASSWORD" not in done.stderr:
            fail(f"with the password {password!r} the view started or did not say why: "
                 f"status {done.returncode}, {done.stderr!r}")
        with socket.socket() as s:
            if s.connect_ex(("127.0.0.1", port)) == 0:
                fail(f"with the password {password!r} something listens on the view's port")
        print(f"web view: password {password!r}: " + done.stderr.decode().strip())

    view = View(args, run, PASSWORD, free_port())
    try:
        view.wait_ready()
        pids = view.pids()
        listening = subprocess.run(["ss", "-Hltunp"], check=True, capture_output=True,
                                   text=True).stdout.splitlines()
        ours = [line.split()[4] for line in listening
                if any(f"pid={pid}," in line for pid in pids)]
        if ours != [f"0.0.0.0%lo:{view.port}"]:
            fail(f"the view listens on {ours}, not on the loopback device's port alone")
        with open(f"/proc/{view.launcher.pid}/net/dev") as f:
            interfaces = [line.split(":")[0].strip() for line in f.readlines()[2:]]
        inside = [(t, p) for t, p, state in namespace_sockets(view.launcher.pid) if state == "0A"]
        if interfaces != ["lo"] or inside != [("tcp6", view.vnc_port)]:
            fail(f"the program's network: interfaces {interfaces}, listening {inside}")
        print(f"web view: listening: {ours[0]}; the program's network has {interfaces}, "
              f"its VNC server listens there on {view.vnc_port}")
        for family, address in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
            with socket.socket(family) as s:
                if s.connect_ex((address, view.vnc_port)) != errno.ECONNREFUSED:
                    fail(f"the VNC port {view.vnc_port} on {address} is not refused")
        print(f"web view: the VNC port {view.vnc_port} is refused on 127.0.0.1 and ::1")

        cert = os.path.join(view.tls, "cert.pem")
        for what, tls, request, user_password, expected, reached in ENTRY:
            answer, relayed = ask(view.port, cert, tls, request, user_password, lambda: [
                state for _, port, state in namespace_sockets(view.launcher.pid)
                if port == view.vnc_port and state != "0A"])
            if (not answer.startswith(expected) or (expected == b"" and answer)
                    or (b"RFB 003." in answer) != reached or bool(relayed) != reached):
                fail(f"{what}: answered {answer[:60]!r}, the VNC server "
                     f"{'was' if relayed else 'was not'} reached; the view's last lines:\n"
                     + "\n".join(view.log.lines[-8:]))
            status = answer.split(b"\r\n")[0].decode() or "closed"
            print(f"web view: {what}: {status}, "
                  + ("the screen begins" if reached else "nothing of the screen"))
    finally:
        view.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("part", choices=("screen", "intruder"))
    parser.add_argument("--headsim", required=True)
    parser.add_argument("--desktop", required=True)
    parser.add_argument("--plugins", required=True, help="the screen grab's Qt plugin folder")
    parser.add_argument("--gallery", required=True, help="the screens as drawn for the panel")
    parser.add_argument("--out", required=True, help="folder for the screenshots")
    args = parser.parse_args()
    for tool in ("websockify", "chromium", "openssl", "unshare", "ss"):
        if not shutil.which(tool):
            fail(f"{tool} is missing (scripts/bootstrap installs it)")
    os.makedirs(args.out, exist_ok=True)
    run = tempfile.mkdtemp(prefix="quarn-web-")
    try:
        {"screen": screen, "intruder": intruder}[args.part](args, run)
    finally:
        shutil.rmtree(run, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
