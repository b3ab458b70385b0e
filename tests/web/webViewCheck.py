#!/usr/bin/env python3
"""The screen in a browser, end to end: the simulated head, the desktop build on Qt's VNC
platform, websockify serving noVNC, and headless Chromium driven over its DevTools pipe.
Checks that the page connects, that the screen shows the home screen (against the
rendered picture) and that a click on the bar graph button changes it. Leaves
screenshots in the output folder."""

import argparse
import base64
import fcntl
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

BAR_GRAPH_BUTTON = (70, 115)  # centre of "Bar Graph" on the 240 x 320 home screen
SAME = 12      # mean colour difference per channel below which the screens match
CHANGED = 15   # difference from the home screen that shows another page


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, predicate, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    raise SystemExit(f"web view: timed out waiting for {what}")


class DevTools:
    """Chromium's DevTools protocol over --remote-debugging-pipe (fds 3 and 4)."""

    def __init__(self, chromium, profile):
        to_chrome_r, self._to_chrome = os.pipe()
        self._from_chrome, from_chrome_w = os.pipe()

        def plumb():
            # Out of the way first: either end may sit on fd 3 or 4 already.
            read_end = fcntl.fcntl(to_chrome_r, fcntl.F_DUPFD, 10)
            write_end = fcntl.fcntl(from_chrome_w, fcntl.F_DUPFD, 10)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", f"--user-data-dir={profile}", "--remote-debugging-pipe",
             "--window-size=400,500", "about:blank"],
            pass_fds=(3, 4, to_chrome_r, from_chrome_w), preexec_fn=plumb,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self._buffer = b""
        self._id = 0
        self.session = None

    def call(self, method, **params):
        self._id += 1
        message = {"id": self._id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self._to_chrome, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self._buffer:
                chunk = os.read(self._from_chrome, 1 << 16)
                if not chunk:
                    raise SystemExit("web view: Chromium went away")
                self._buffer += chunk
            raw, self._buffer = self._buffer.split(b"\0", 1)
            reply = json.loads(raw)
            if reply.get("id") == self._id:
                if "error" in reply:
                    raise SystemExit(f"web view: {method}: {reply['error']}")
                return reply["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True,
                           returnByValue=True)
        return result["result"].get("value")

    def screenshot(self, path):
        with open(path, "wb") as out:
            out.write(base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"]))

    def click(self, x, y):
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)
            time.sleep(0.05)


def difference_script(reference):
    # Mean per-channel difference between the VNC canvas and the reference picture; -1
    # while the canvas is not there at the panel's size.
    return """(async () => {
      const c = document.querySelector('#noVNC_container canvas');
      if (!c || c.width !== 240 || c.height !== 320) return -1;
      const img = new Image();
      img.src = 'data:image/png;base64,%s';
      await img.decode();
      const o = document.createElement('canvas');
      o.width = 240; o.height = 320;
      const g = o.getContext('2d');
      g.drawImage(img, 0, 0);
      const a = g.getImageData(0, 0, 240, 320).data;
      const b = c.getContext('2d').getImageData(0, 0, 240, 320).data;
      let d = 0;
      for (let i = 0; i < a.length; i += 4)
        d += Math.abs(a[i] - b[i]) + Math.abs(a[i + 1] - b[i + 1]) + Math.abs(a[i + 2] - b[i + 2]);
      return d / (240 * 320 * 3);
    })()""" % reference


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--headsim", required=True)
    parser.add_argument("--desktop", required=True)
    parser.add_argument("--reference", required=True, help="the home screen as rendered")
    parser.add_argument("--out", required=True, help="folder for the screenshots")
    args = parser.parse_args()
    for tool in ("websockify", "chromium"):
        if not shutil.which(tool):
            raise SystemExit(f"web view: {tool} is missing (scripts/bootstrap installs it)")
    os.makedirs(args.out, exist_ok=True)
    with open(args.reference, "rb") as f:
        reference = base64.b64encode(f.read()).decode()

    run = tempfile.mkdtemp(prefix="quarn-web-")
    vnc_port, web_port = free_port(), free_port()
    link = os.path.join(run, "ttyHEAD")
    processes = []
    try:
        processes.append(subprocess.Popen(
            [args.headsim, "--link", link, "--log", os.path.join(run, "headsim.log")],
            stdout=subprocess.DEVNULL))
        wait_for("the head's line", lambda: os.path.islink(link), 10)
        processes.append(subprocess.Popen(
            [args.desktop, "--serial", link, "--root", os.path.join(run, "board"),
             "-platform", f"vnc:size=240x320:port={vnc_port}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        processes.append(subprocess.Popen(
            ["websockify", "--web", "/usr/share/novnc", f"127.0.0.1:{web_port}",
             f"127.0.0.1:{vnc_port}"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for("websockify", lambda: socket.socket().connect_ex(("127.0.0.1", web_port)) == 0, 15)

        browser = DevTools(shutil.which("chromium"), os.path.join(run, "profile"))
        processes.append(browser.process)
        page = next(t for t in browser.call("Target.getTargets")["targetInfos"]
                    if t["type"] == "page")
        browser.session = browser.call("Target.attachToTarget", targetId=page["targetId"],
                                       flatten=True)["sessionId"]
        url = (f"http://127.0.0.1:{web_port}/vnc.html?autoconnect=true&resize=off"
               f"&host=127.0.0.1&port={web_port}")
        browser.call("Page.navigate", url=url)
        wait_for("the page to connect", lambda: browser.evaluate(
            "document.documentElement.classList.contains('noVNC_connected')"), 30)
        print("web view: page connected")

        measure = difference_script(reference)
        home = wait_for("the home screen", lambda: (lambda d: d is not None and 0 <= d < SAME)(
            browser.evaluate(measure)) and browser.evaluate(measure), 40)
        browser.screenshot(os.path.join(args.out, "web_home.png"))
        print(f"web view: home screen shown (difference {home:.1f})")

        browser.evaluate("""window.quarnHome = document.querySelector('#noVNC_container canvas')
            .getContext('2d').getImageData(0, 0, 240, 320).data.slice(); true""")
        from_home = """(() => {
          const a = window.quarnHome;
          const b = document.querySelector('#noVNC_container canvas')
              .getContext('2d').getImageData(0, 0, 240, 320).data;
          let d = 0;
          for (let i = 0; i < a.length; i += 4)
            d += Math.abs(a[i] - b[i]) + Math.abs(a[i + 1] - b[i + 1]) + Math.abs(a[i + 2] - b[i + 2]);
          return d / (240 * 320 * 3);
        })()"""
        rect = browser.evaluate("""(() => {
            const r = document.querySelector('#noVNC_container canvas').getBoundingClientRect();
            return [r.left, r.top]; })()""")
        browser.click(rect[0] + BAR_GRAPH_BUTTON[0], rect[1] + BAR_GRAPH_BUTTON[1])
        wait_for("the screen to change", lambda: browser.evaluate(from_home) > CHANGED, 20)
        time.sleep(1)  # the page slide takes half a second
        moved = browser.evaluate(from_home)
        if moved <= CHANGED:
            raise SystemExit(f"web view: the screen went back (difference {moved:.1f})")
        browser.screenshot(os.path.join(args.out, "web_bargraph.png"))
        print(f"web view: the bar graph button changed the screen (difference {moved:.1f}, "
              f"from the reference {browser.evaluate(measure):.1f})")
    finally:
        for p in reversed(processes):
            p.terminate()
        for p in processes:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(run, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
