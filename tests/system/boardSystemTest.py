#!/usr/bin/env python3
"""The board, booted: the image of scripts/board-image in qemu-system-arm, driven from outside.

The simulated head runs on this machine on a pseudo-terminal that QEMU's PCI UART uses as
its line (the board's /dev/ttyO1), touches go in through QEMU's virtio tablet (tslib reads
it), the screen comes out of QEMU's screen dump of the virtio GPU's framebuffer, and a
root shell on the board's console answers the rest. scripts/board-system-test runs this.
"""

import argparse
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

PANEL = (240, 320)
STATUS_BAR = 40
# Where the pages' buttons are on the panel (x, y), as the gallery shows them.
BAR_GRAPH_BUTTON = (70, 113)
CHART_BUTTON = (170, 113)
HOME_BUTTON = (120, 292)
POWER_UP = (22, 100)  # the bar graph's power bar, upper half
CHART_PLOT = (170, 190)
# Under the chart's plot: the span ("20 seconds") is written there.
CHART_SPAN = (60, 246, 180, 18)  # x, y, width, height
RESULTS_PER_SECOND = 20


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def compare_ae(a, b, crop=None, fuzz="20%"):
    """Pixels that differ by more than fuzz between pictures a and b (optionally a crop)."""
    cut = []
    if crop:
        cut = ["-crop", "%dx%d+%d+%d" % (crop[2], crop[3], crop[0], crop[1]), "+repage"]
    out = subprocess.run(
        ["compare", "-fuzz", fuzz, "-metric", "AE"]
        + ["(", a] + cut + [")", "(", b] + cut + [")", "null:"],
        capture_output=True, text=True)
    try:
        return int(float(out.stderr.split()[0]))
    except (ValueError, IndexError):
        raise Failure("compare failed on %s and %s: %s" % (a, b, out.stderr.strip()))


def page_differs_from(picture, reference):
    """How many of the page's pixels (under the status bar) are off the reference."""
    return compare_ae(picture, reference, (0, STATUS_BAR, PANEL[0], PANEL[1] - STATUS_BAR))


class Console:
    """The board's console (QEMU's stdio): a root shell once the board is up."""

    def __init__(self, process, log_path):
        self.process = process
        self.data = b""
        self.lock = threading.Condition()
        self.log = open(log_path, "ab")
        self.serial = 0
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                break
            self.log.write(chunk)
            self.log.flush()
            with self.lock:
                self.data += chunk
                self.lock.notify_all()

    def mark(self):
        with self.lock:
            return len(self.data)

    def wait_for(self, pattern, timeout, start=0):
        deadline = time.monotonic() + timeout
        regex = re.compile(pattern.encode())
        with self.lock:
            while True:
                match = regex.search(self.data, start)
                if match:
                    return match
                left = deadline - time.monotonic()
                if left <= 0 or self.process.poll() is not None:
                    raise Failure("the console did not show %r within %d s" % (pattern, timeout))
                self.lock.wait(left)

    def send(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def run(self, command, timeout=60):
        """Runs a shell command on the board; returns its exit status and output."""
        self.serial += 1
        tag = "Q%d" % self.serial
        start = self.mark()
        # The end mark is put together by printf, so that the echoed command line never
        # matches it.
        self.send("%s; printf '%%s_%%s_%%s\\n' %s $? END\n" % (command, tag))
        match = self.wait_for(r"%s_(\d+)_END\r?\n" % tag, timeout, start)
        text = self.data[start:match.start()].decode(errors="replace").replace("\r", "")
        # The shell echoes nothing (stty -echo), but a line typed before that may show.
        lines = [line for line in text.split("\n") if "printf '%s_%s_%s" not in line]
        return int(match.group(1)), "\n".join(lines)

    def check(self, command, timeout=60):
        status, text = self.run(command, timeout)
        if status != 0:
            raise Failure("on the board, %r ended with %d:\n%s" % (command, status, text))
        return text


class Qmp:
    """QEMU's machine protocol: screen dumps and input events."""

    def __init__(self, path, timeout=30):
        deadline = time.monotonic() + timeout
        while True:
            try:
                self.sock = socket.socket(socket.AF_UNIX)
                self.sock.connect(path)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise Failure("QEMU's QMP socket %s did not open" % path)
                time.sleep(0.1)
        self.file = self.sock.makefile("rwb")
        self._answer()
        self.command("qmp_capabilities")

    def _answer(self):
        while True:
            line = self.file.readline()
            if not line:
                raise Failure("QEMU closed its QMP socket")
            message = json.loads(line)
            if "event" not in message:
                return message

    def command(self, name, **arguments):
        self.file.write(json.dumps({"execute": name, "arguments": arguments}).encode() + b"\n")
        self.file.flush()
        answer = self._answer()
        if "error" in answer:
            raise Failure("QMP %s: %s" % (name, answer["error"]))
        return answer.get("return")


class Board:
    """The emulated board: qemu-system-arm with the image, the flash and the head's line."""

    def __init__(self, image, run, head_line):
        self.image = image
        self.run = run
        self.head_line = head_line
        self.process = None
        self.dumps = 0

    def start(self):
        self.started = time.monotonic()
        qmp = os.path.join(self.run, "qmp.sock")
        if os.path.exists(qmp):
            os.unlink(qmp)
        command = [
            "nice", "-n", "19",
            "qemu-system-arm", "-M", "virt,highmem=off", "-cpu", "cortex-a15", "-m", "512",
            "-accel", "tcg,thread=single", "-smp", "1",
            "-nodefaults", "-no-user-config", "-display", "none",
            "-kernel", os.path.join(self.image, "vmlinuz"),
            "-initrd", os.path.join(self.image, "initrd.img"),
            # Emulation on a loaded build machine is slow: systemd's 90 s waits for devices
            # and units would end the boot in its emergency mode.
            "-append", "root=/dev/vda console=ttyAMA0 quiet loglevel=3 "
            "systemd.show_status=false vt.global_cursor_default=0 "
            "systemd.default_device_timeout_sec=600 systemd.default_timeout_start_sec=600",
            # The root file system's changes last as long as this QEMU: the image stays as
            # made. The flash keeps them, as on the board.
            "-drive", "if=none,id=root,format=raw,snapshot=on,file="
            + os.path.join(self.image, "root.img"),
            "-device", "virtio-blk-pci,drive=root",
            "-drive", "if=none,id=flash,format=raw,file=" + os.path.join(self.run, "flash.img"),
            "-device", "virtio-blk-pci,drive=flash",
            "-device", "virtio-gpu-pci,xres=%d,yres=%d" % PANEL,
            "-device", "virtio-tablet-pci,id=touch",
            "-chardev", "serial,id=head,path=" + self.head_line,
            "-device", "pci-serial,chardev=head",
            "-chardev", "stdio,id=console,signal=off", "-serial", "chardev:console",
            "-qmp", "unix:%s,server=on,wait=off" % qmp,
        ]
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.console = Console(self.process, os.path.join(self.run, "console.log"))
        self.qmp = Qmp(qmp)

    def stop(self):
        if self.process and self.process.poll() is None:
            try:
                self.qmp.command("quit")
            except Exception:
                pass
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def screendump(self, name=None):
        self.dumps += 1
        path = os.path.join(self.run, name or "dump-%03d.png" % self.dumps)
        self.qmp.command("screendump", filename=path, format="png")
        return path

    def tap(self, x, y, hold=0.15):
        # The tablet's axes run from 0 to 32767 over the panel; the pointercal on the flash
        # maps them back to pixels.
        ax = int((x + 0.5) * 32768 / PANEL[0])
        ay = int((y + 0.5) * 32768 / PANEL[1])
        move = [{"type": "abs", "data": {"axis": "x", "value": ax}},
                {"type": "abs", "data": {"axis": "y", "value": ay}}]
        self.qmp.command("input-send-event",
                         events=move + [{"type": "btn", "data": {"down": True, "button": "left"}}])
        time.sleep(hold)
        self.qmp.command("input-send-event",
                         events=[{"type": "btn", "data": {"down": False, "button": "left"}}])

    def wait_for_page(self, reference, timeout, within=400, name=None):
        """Dumps the screen until the page under the status bar matches the reference."""
        deadline = time.monotonic() + timeout
        while True:
            path = self.screendump("last-poll.png")
            off = page_differs_from(path, reference)
            if off <= within:
                if name:
                    shutil.copy(path, os.path.join(self.run, name))
                    path = os.path.join(self.run, name)
                return path, off
            if time.monotonic() > deadline:
                raise Failure("the screen did not show %s within %d s (%d pixels off, last "
                              "dump %s)" % (os.path.basename(reference), timeout, off, path))
            time.sleep(0.5)

    def login(self, since, timeout):
        """Waits for the console's root shell (the autologin on ttyAMA0) after since."""
        self.console.wait_for(r"root@quarn-board:~# ", timeout, since)
        # No echo and no prompt: what comes back is the commands' output alone.
        self.console.send("stty -echo; PS1=''\n")
        self.console.check("true")


def program_pid(console):
    return int(console.check("systemctl show -p MainPID --value quarn24ex").strip() or 0)


def journal(console, since=0):
    """The program's journal lines of this boot, from line since on."""
    text = console.check("journalctl -b -u quarn24ex --no-pager -o cat")
    return text.splitlines()[since:]


def touch_to_page(board, console, button, reference, timeout=30, within=400, name=None):
    """Touches a button and waits for the page it brings. The emulated line to the head
    loses frames (the guest's UART hands bytes on in bursts, and a frame stalled for 20 ms
    is given up), so the notice "No response from the head" may come and close again by
    itself: a touch that landed on it is made again, once."""
    tapped = len(journal(console))
    board.tap(*button)
    try:
        return board.wait_for_page(reference, timeout, within, name)
    except Failure:
        lines = journal(console)
        shown = [i for i, l in enumerate(lines) if "no response from the head" in l]
        # Open at the touch (shown before it and not yet closed), or shown after it.
        if not shown or (shown[-1] < tapped and any(
                "the head answers again" in l for l in lines[shown[-1]:tapped])):
            raise
        # A slow board may still be on its way to the page: a second touch would land on it.
        try:
            return board.wait_for_page(reference, timeout, within, name)
        except Failure:
            pass
        log("The touch landed on the notice (%s); touching again" % lines[shown[-1]])
        board.tap(*button)
        return board.wait_for_page(reference, timeout, within, name)


def check_head_heard(console):
    """The head answers at once: however long the program's start-up holds up its loop
    under emulation, it must not take that for the head's silence."""
    journal = console.check("journalctl -b -u quarn24ex --no-pager -o cat")
    silent = [l for l in journal.splitlines() if "no response from the head" in l]
    if silent:
        raise Failure("the program took its own slow start for a silent head: " + silent[0])


def wait_for_touch(console, timeout=90):
    """Waits until the program has opened tslib's input device: Qt's touch handler comes
    up after the first paint, and a touch before it is lost."""
    deadline = time.monotonic() + timeout
    while True:
        pid = program_pid(console)
        if pid and console.run("ls -l /proc/%d/fd | grep -q /dev/input/event" % pid)[0] == 0:
            return
        if time.monotonic() > deadline:
            raise Failure("the program opened no touch input within %d s" % timeout)
        time.sleep(0.5)


def cpu_share(read_ticks, seconds, ticks_per_second):
    first = read_ticks()
    begin = time.monotonic()
    time.sleep(seconds)
    second = read_ticks()
    return (second - first) / ticks_per_second / (time.monotonic() - begin)


def head_frames(path, since_line=0):
    with open(path, errors="replace") as head_log:
        return head_log.read().splitlines()[since_line:]


def start_head(run, name, rate=RESULTS_PER_SECOND):
    line = os.path.join(run, name)
    head = subprocess.Popen(
        [args.headsim, "--link", line, "--log", os.path.join(run, name + ".log"),
         "--rate", str(rate), "--seed", "1"],
        stdout=subprocess.DEVNULL, stderr=open(line + ".err", "w"))
    deadline = time.monotonic() + 10
    while not os.path.exists(line):
        if time.monotonic() > deadline or head.poll() is not None:
            raise Failure("the simulated head did not open its line")
        time.sleep(0.05)
    return head, line


def make_flash(run):
    """The flash's settings partition: empty but for the touch calibration."""
    seed = os.path.join(run, "flash")
    os.makedirs(os.path.join(seed, "Settings"))
    # tslib's linear record: pixels = (raw * panel size) / 32768 on each axis.
    with open(os.path.join(seed, "Settings", "pointercal"), "w") as record:
        record.write("%d 0 0 0 %d 0 65536\n" % (PANEL[0] * 2, PANEL[1] * 2))
    image = os.path.join(run, "flash.img")
    subprocess.run(["mke2fs", "-q", "-t", "ext4", "-L", "flash", "-d", seed, image, "16M"],
                   check=True)
    return image


def desktop_run(run, gallery):
    """The same program on this machine: start to first paint (through Qt's VNC view) and
    its processor share on the chart page at the same rate of results."""
    head, line = start_head(run, "ttyDESK")
    root = os.path.join(run, "desktop")
    settings = os.path.join(root, "media/mmcblk0p4/Settings/VEK")
    os.makedirs(settings)
    try:
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        started = time.monotonic()
        program = subprocess.Popen(
            ["nice", "-n", "19", args.desktop, "--serial", line, "--root", root],
            env=dict(os.environ, QT_QPA_PLATFORM="vnc:size=240x320:port=%d" % port),
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(run, "desktop.log"), "w"))
        paint = None
        deadline = started + 60
        while paint is None and time.monotonic() < deadline:
            picture = os.path.join(run, "desktop-home.png")
            if vnc_grab("127.0.0.1", port, picture) and \
                    page_differs_from(picture, os.path.join(gallery, "home.png")) <= 400:
                paint = time.monotonic() - started
            else:
                time.sleep(0.1)
        program.terminate()
        program.wait(10)
        if paint is None:
            raise Failure("the desktop program showed no home screen within 60 s")

        # The chart page from the start (the power-on screen setting) with the board's span
        # (30 s), then 20 s measured.
        with open(os.path.join(settings, "QUARN_2_4.conf"), "w") as store:
            store.write("[userSettings]\npowerOnScreen=2\nchartTime=2\n")
        program = subprocess.Popen(
            [args.desktop, "--serial", line, "--root", root],
            env=dict(os.environ, QT_QPA_PLATFORM="offscreen"),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(5)

        def ticks():
            with open("/proc/%d/stat" % program.pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            return int(fields[11]) + int(fields[12])

        share = cpu_share(ticks, 20, os.sysconf("SC_CLK_TCK"))
        program.terminate()
        program.wait(10)
        return paint, share
    finally:
        head.terminate()
        head.wait()


def vnc_grab(host, port, path):
    """One frame of an RFB server (Qt's VNC view) as a PNG; False while it does not answer."""
    try:
        with socket.create_connection((host, port), timeout=5) as s:
            s.settimeout(5)
            f = s.makefile("rwb")
            # Qt's VNC view speaks RFB 3.3: the server names the one security type.
            if not f.readline().startswith(b"RFB 003.003"):
                return False
            f.write(b"RFB 003.003\n")
            f.flush()
            if int.from_bytes(f.read(4), "big") != 1:
                return False
            f.write(b"\x01")
            f.flush()
            head = f.read(24)
            width, height = int.from_bytes(head[0:2], "big"), int.from_bytes(head[2:4], "big")
            f.read(int.from_bytes(head[20:24], "big"))
            # 32 bits a pixel, little endian, red at bit 16; raw encoding only.
            f.write(bytes([0, 0, 0, 0, 32, 24, 0, 1, 0, 255, 0, 255, 0, 255, 16, 8, 0, 0, 0, 0]))
            f.write(bytes([2, 0, 0, 1, 0, 0, 0, 0]))
            f.write(bytes([3, 0, 0, 0, 0, 0]) + width.to_bytes(2, "big") + height.to_bytes(2, "big"))
            f.flush()
            frame = bytearray(width * height * 4)
            if f.read(1)[0] != 0:
                return False
            f.read(1)
            for _ in range(int.from_bytes(f.read(2), "big")):
                rect = f.read(12)
                x, y, w, h = (int.from_bytes(rect[i:i + 2], "big") for i in (0, 2, 4, 6))
                pixels = f.read(w * h * 4)
                for row in range(h):
                    start = ((y + row) * width + x) * 4
                    frame[start:start + w * 4] = pixels[row * w * 4:(row + 1) * w * 4]
        subprocess.run(["convert", "-size", "%dx%d" % (width, height), "-depth", "8",
                        "bgra:-", "-alpha", "off", path], input=bytes(frame), check=True)
        return True
    except (OSError, IndexError, subprocess.CalledProcessError):
        return False


def main():
    run = tempfile.mkdtemp(prefix="quarn-board-")
    os.makedirs(args.dumps, exist_ok=True)
    gallery = args.gallery
    results = {}
    log("Run folder: %s" % run)
    make_flash(run)
    head, head_line = start_head(run, "ttyHEAD")
    board = Board(args.image, run, head_line)
    begun = time.monotonic()
    try:
        # 1. Boot: the unit starts and paints the home screen.
        board.start()
        path, _ = board.wait_for_page(os.path.join(gallery, "home.png"), args.boot_timeout,
                                      name="home.png")
        results["boot to first paint"] = time.monotonic() - board.started
        shutil.copy(path, os.path.join(args.dumps, "home.png"))
        log("Home screen painted %.1f s after QEMU started" % results["boot to first paint"])
        board.login(0, 120)
        console = board.console
        wait_for_touch(console)
        log("Touch input open %.1f s after the first paint"
            % (time.monotonic() - board.started - results["boot to first paint"]))
        board.wait_for_page(os.path.join(gallery, "home.png"), 60)
        check_head_heard(console)
        log("Unit: " + console.check("systemctl is-active quarn24ex").strip())
        journal = console.check("journalctl -b -u quarn24ex --no-pager -o cat")
        if "listening for data at" not in journal:
            raise Failure("the journal holds no debug line of the program:\n" + journal)
        log("Journal: " + [l for l in journal.splitlines() if "listening for data at" in l][0])

        # 2. A touch on Bar Graph brings the bar graph; the head sees the frames for it.
        path, _ = touch_to_page(board, console, BAR_GRAPH_BUTTON,
                                os.path.join(gallery, "bargraph.png"), within=2500,
                                name="bargraph.png")
        shutil.copy(path, os.path.join(args.dumps, "bargraph.png"))
        log("Bar graph after the touch: %s" % path)
        seen = len(head_frames(os.path.join(run, "ttyHEAD.log")))
        board.tap(*POWER_UP)
        deadline = time.monotonic() + 15
        while not [l for l in head_frames(os.path.join(run, "ttyHEAD.log"), seen)
                   if "SetPowerLevelMsg" in l]:
            if time.monotonic() > deadline:
                raise Failure("the head saw no power level from the bar graph's power bar")
            time.sleep(0.2)
        log("Head: " + [l for l in head_frames(os.path.join(run, "ttyHEAD.log"), seen)
                        if "SetPowerLevelMsg" in l][0].strip())

        # 3. The head's results move the bars (the sweep's quiet third keeps them still for
        # up to a third of its 16 s cycle).
        first = board.screendump("bars-1.png")
        deadline = time.monotonic() + 20
        while True:
            time.sleep(1)
            second = board.screendump("bars-2.png")
            moved = compare_ae(first, second, (60, 60, 150, 200), fuzz="5%")
            if moved > 0:
                break
            if time.monotonic() > deadline:
                raise Failure("the bars did not move in 20 s of results")
        log("Bars: %d pixels changed" % moved)

        # 4. A setting changed by touch: the chart's span, one step (20 s to 30 s).
        touch_to_page(board, console, HOME_BUTTON, os.path.join(gallery, "home.png"))
        touch_to_page(board, console, CHART_BUTTON, os.path.join(gallery, "chart.png"),
                      within=6000)
        before = board.screendump("chart-20s.png")
        board.tap(*CHART_PLOT)
        time.sleep(2)
        after = board.screendump("chart-30s.png")
        if compare_ae(before, after, CHART_SPAN) == 0:
            raise Failure("the chart's span did not change on a touch")
        stored = console.check("grep chartTime /media/mmcblk0p4/Settings/VEK/QUARN_2_4.conf")
        if "chartTime=2" not in stored:
            raise Failure("the chart's span was not stored: " + stored)

        # 5. The program's processor share on the chart page at 20 results/s.
        pid = program_pid(console)
        hz = int(console.check("getconf CLK_TCK").strip())

        def board_ticks():
            fields = console.check("cat /proc/%d/stat" % pid).rsplit(")", 1)[1].split()
            return int(fields[11]) + int(fields[12])

        results["board share"] = cpu_share(board_ticks, 20, hz)
        log("Processor share on the board's chart page: %.0f %%" % (100 * results["board share"]))

        # 6. The setting survives a reboot (the flash is the second disk). The board comes
        # up with a single-touch controller, a resistive panel's, which the touches after
        # the reboot go through.
        console.check("echo QEMU_TOUCH_ARGS=--single > /etc/default/qemu-touch")
        since = console.mark()
        console.send("systemctl reboot\n")
        # The old screen stays until the program paints again: wait for the new boot first.
        console.wait_for(r"quarn-board login: root \(automatic login\)", args.boot_timeout, since)
        board.login(since, 120)
        board.wait_for_page(os.path.join(gallery, "home.png"), 120)
        wait_for_touch(console)
        board.wait_for_page(os.path.join(gallery, "home.png"), 60)
        check_head_heard(console)
        plugins = console.check("tr '\\0' '\\n' </proc/%d/environ | grep QT_QPA_GENERIC_PLUGINS"
                                % program_pid(console)).strip()
        if "evdevtablet:" not in plugins:
            raise Failure("a single-touch screen is not read by Qt's tablet handler: " + plugins)
        log("Single-touch controller: " + plugins)
        stored = console.check("grep chartTime /media/mmcblk0p4/Settings/VEK/QUARN_2_4.conf")
        if "chartTime=2" not in stored:
            raise Failure("the chart's span did not survive the reboot: " + stored)
        touch_to_page(board, console, CHART_BUTTON, os.path.join(gallery, "chart.png"),
                      within=6000)
        time.sleep(1)
        rebooted = board.screendump("chart-after-reboot.png")
        if compare_ae(after, rebooted, CHART_SPAN) != 0:
            raise Failure("after the reboot the chart shows another span (%s, %s)"
                          % (after, rebooted))
        log("The chart's span survived the reboot")

        # 7. systemctl kill: systemd starts the program again.
        pid = program_pid(console)
        console.check("systemctl kill quarn24ex")
        killed = time.monotonic()
        deadline = killed + 60
        while True:
            now = program_pid(console)
            if now not in (0, pid):
                break
            if time.monotonic() > deadline:
                raise Failure("systemd did not start the program again after systemctl kill")
            time.sleep(0.5)
        restarts = console.check("systemctl show -p NRestarts --value quarn24ex").strip()
        board.wait_for_page(os.path.join(gallery, "home.png"), 60)
        results["restart to paint"] = time.monotonic() - killed
        log("After systemctl kill: process %d, then %d (restarts: %s), home screen again %.1f s "
            "after the kill" % (pid, now, restarts, results["restart to paint"]))
    except Failure:
        # What the program said is the first thing to read when a check fails.
        try:
            log("The program's journal, last lines:\n" + "\n".join(journal(board.console)[-40:]))
        except Exception:  # the board may not answer any more
            pass
        raise
    finally:
        board.stop()
        head.terminate()
        head.wait()

    # The same program on this machine.
    paint, share = desktop_run(run, gallery)
    results["desktop paint"] = paint
    results["desktop share"] = share
    log("")
    log("%-36s %10s %10s %8s" % ("", "board", "here", "ratio"))
    log("%-36s %9.1fs %9.1fs %7.0fx" % ("start to first paint (board: boot)",
                                         results["boot to first paint"], paint,
                                         results["boot to first paint"] / paint))
    log("%-36s %9.1fs %9.1fs %7.0fx" % ("program start to paint (after kill)",
                                         results["restart to paint"] - 2, paint,
                                         (results["restart to paint"] - 2) / paint))
    log("%-36s %9.0f%% %9.1f%% %7.0fx" % ("processor share, chart, %d results/s"
                                         % RESULTS_PER_SECOND,
                                         100 * results["board share"], 100 * share,
                                         results["board share"] / share))
    log("Board system test passed in %.0f s (screen dumps in %s)"
        % (time.monotonic() - begun, args.dumps))


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--image", required=True, help="folder of scripts/board-image")
    parser.add_argument("--headsim", required=True)
    parser.add_argument("--desktop", required=True)
    parser.add_argument("--gallery", required=True, help="the rendered screens to compare with")
    parser.add_argument("--dumps", required=True, help="where the screen dumps are kept")
    parser.add_argument("--boot-timeout", type=int, default=300)
    args = parser.parse_args()
    try:
        main()
    except Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
