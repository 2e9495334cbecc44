#!/usr/bin/python3
"""The input side through the kernel's interfaces, emulated by umockdev: discovery in sysfs,
libevdev on evdev nodes answered from a recording, grabs, reads, hot-plug and /dev/uinput.

Exit status 77 (skipped) when umockdev cannot be set up here."""

import argparse
import json
import os
import queue
import signal
import subprocess
import sys
import threading
import time
import unittest

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

try:
    import emulated
    from emulated import GLib, UMockdev
except (ImportError, ValueError) as problem:
    print("SKIP: umockdev's introspection data or python3-gi is missing:", problem)
    sys.exit(SKIP)

ARGS = None
WAIT = 10.0  # seconds: the bound on every wait
POINTER = "Tavix virtual pointer"
MOUSE = ("Apple Wireless Mouse", (0x0005, 0x05AC, 0x030D, 0x0050))
TRACKPAD = ("Apple Wireless Trackpad", (0x0005, 0x05AC, 0x030E, 0x0160))
KEYBOARD = ("Apple Wireless Keyboard", (0x0005, 0x05AC, 0x0255, 0x0050))
# The tap's first contact, as the recording starts it (slot 9, tracking id 40).
FIRST_CONTACT = {0x39: 40, 0x35: 879, 0x36: -34, 0x30: 232, 0x31: 200, 0x34: 8}


def pump(seconds=0.0):
    """Lets the testbed answer ioctls (they run on this thread's main context) for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= end:
            return
        time.sleep(0.001)


class Bed:
    """A testbed with Magic Mouse-like nodes, each answered by an EvdevNode, and a /dev/uinput."""

    def __init__(self, uinput=True):
        self.testbed = UMockdev.Testbed.new()
        self.recording = emulated.Recording(os.path.join(ARGS.fixtures, "first-model-tap.evemu"))
        self.nodes = {}  # event number → EvdevNode
        self.parents = {}  # event number → its HID device's path under /sys
        self.uinput = None
        if uinput:
            self.testbed.add_from_string(
                "P: /devices/virtual/misc/uinput\nN: uinput\nE: SUBSYSTEM=misc\n"
                "E: DEVNAME=/dev/uinput\nE: MAJOR=10\nE: MINOR=223\nA: dev=10:223\n")
            self.uinput = emulated.Uinput()
            self.testbed.attach_ioctl("/dev/uinput", self.uinput)
        else:
            # An absent path would fall through to the host's /dev/uinput: a dangling link keeps
            # the answer "no such file" inside the testbed.
            os.makedirs(os.path.join(self.testbed.get_root_dir(), "dev"), exist_ok=True)
            os.symlink("absent", os.path.join(self.testbed.get_root_dir(), "dev", "uinput"))


    def add(self, number, kind=MOUSE, uniq="", mouse_node=None, clock_ok=True):
        """Adds an input device with its event node (and a mouseN node) the way the kernel
        lays them out; returns the node's handler."""
        name, ids = kind
        parent = "/devices/virtual/bluetooth/hci0/hci0:%d/%04X:%04X:%04X.%04X" % (
            256 + number, ids[0], ids[1], ids[2], number)
        self.parents[number] = parent
        device = "%s/input/input%d" % (parent, number)
        text = ("P: %s\nE: SUBSYSTEM=hid\n\n" % parent +
                "P: %s\nE: SUBSYSTEM=input\nA: name=%s\nA: phys=hci0\nA: uniq=%s\n"
                "A: id/bustype=%04x\nA: id/vendor=%04x\nA: id/product=%04x\nA: id/version=%04x\n\n"
                % (device, name, uniq, *ids))
        text += ("P: %s/event%d\nN: input/event%d\nE: SUBSYSTEM=input\n"
                 "E: DEVNAME=/dev/input/event%d\nE: MAJOR=13\nE: MINOR=%d\nA: dev=13:%d\nL: device=..\n"
                 % (device, number, number, number, 64 + number, 64 + number))
        if mouse_node is not None:
            text += ("\nP: %s/mouse%d\nN: input/mouse%d\nE: SUBSYSTEM=input\n"
                     "E: DEVNAME=/dev/input/mouse%d\nE: MAJOR=13\nE: MINOR=%d\nA: dev=13:%d\nL: device=..\n"
                     % (device, mouse_node, mouse_node, mouse_node, 32 + mouse_node,
                        32 + mouse_node))
        handler = emulated.EvdevNode(self.recording, name=name, ids=ids, phys="hci0", uniq=uniq,
                                     clock_ok=clock_ok)
        # Answering before the node appears, as the kernel's node does.
        assert self.testbed.attach_ioctl("/dev/input/event%d" % number, handler)
        assert self.testbed.add_from_string(text)
        self.nodes[number] = handler
        return handler

    def unplug(self, number):
        # The handler stays: descriptors still open on the node read "no such device", and the
        # kernel wakes their readers to find out.
        self.nodes[number].unplugged = True
        os.write(self.testbed.get_dev_fd("/dev/input/event%d" % number),
                 emulated.EVENT.pack(0, 0, emulated.EV_SYN, emulated.SYN_REPORT, 0))
        parent = "/sys" + self.parents[number]
        device = "%s/input/input%d" % (parent, number)
        for path in (device + "/event%d" % number, device, parent):
            self.testbed.remove_device(path)

    def play(self, number, reports, base=5.0):
        """Writes the reports into the node at their recorded pace, stamped on a clock of the
        node's own (`base` seconds plus the recording's time)."""
        fd = self.testbed.get_dev_fd("/dev/input/event%d" % number)
        start = time.monotonic()
        first = reports[0][0][0]
        for report in reports:
            pump(max(0.0, report[0][0] - first - (time.monotonic() - start)))
            data = b""
            for (t, kind, code, value) in report:
                seconds = base + t
                data += emulated.EVENT.pack(int(seconds), int(seconds % 1 * 1e6), kind, code,
                                            value)
            os.write(fd, data)
        pump(0.01)

    def environment(self):
        env = dict(os.environ)
        env["LD_PRELOAD"] = " ".join(filter(None, ["libumockdev-preload.so.0",
                                                   env.get("LD_PRELOAD")]))
        env["UMOCKDEV_DIR"] = self.testbed.get_root_dir()
        return env

    def clicks(self):
        """Left presses and releases the virtual pointer wrote."""
        frames = [f for d in self.uinput.named(POINTER) for f in d.frames]
        presses = sum((emulated.EV_KEY, emulated.BTN_LEFT, 1) in f for f in frames)
        releases = sum((emulated.EV_KEY, emulated.BTN_LEFT, 0) in f for f in frames)
        return presses, releases

    def live_clones(self):
        return [d for d in self.uinput.devices
                if d.name.endswith("(Tavix)") and d.created and not d.destroyed]


class Program:
    """A project binary under the testbed, its standard output read line by line."""

    def __init__(self, bed, argv, **kwargs):
        self.process = subprocess.Popen(argv, env=bed.environment(), stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True, **kwargs)
        self.lines = []
        self._queue = queue.Queue()
        self._stderr = []
        threading.Thread(target=self._read, args=(self.process.stdout, self._queue),
                         daemon=True).start()
        threading.Thread(target=self._read, args=(self.process.stderr, None),
                         daemon=True).start()

    def _read(self, stream, into):
        for line in stream:
            if into is not None:
                into.put(line.rstrip("\n"))
            else:
                self._stderr.append(line)

    def stderr(self):
        return "".join(self._stderr)

    def expect(self, prefix, timeout=WAIT):
        """The next line starting with `prefix`, answering ioctls while waiting."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            pump()
            try:
                line = self._queue.get(timeout=0.002)
            except queue.Empty:
                if self.process.poll() is not None and self._queue.empty():
                    break
                continue
            self.lines.append(line)
            if line.startswith(prefix):
                return line
        raise AssertionError("no line starting %r; got %r; stderr: %s"
                             % (prefix, self.lines, self.stderr()))

    def drain(self):
        """Every line so far."""
        while not self._queue.empty():
            self.lines.append(self._queue.get())
        return self.lines

    def send(self, command, answer):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self.expect(answer)

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass
        end = time.monotonic() + WAIT
        while self.process.poll() is None and time.monotonic() < end:
            pump(0.01)
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for stream in (self.process.stdin, self.process.stdout, self.process.stderr):
            try:
                stream.close()
            except (BrokenPipeError, ValueError):
                pass


def eventually(condition, timeout=WAIT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        pump(0.01)
    return condition()


class InputUnderUmockdev(unittest.TestCase):
    def setUp(self):
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.stop()

    def start(self, bed):
        program = Program(bed, [ARGS.session])
        self.programs.append(program)
        program.expect("ready")
        return program

    def tap(self, bed, number, program):
        bed.play(number, bed.recording.reports())
        program.expect("status 0")
        program.send("sync", "synced")

    def test_discovery_takes_only_the_magic_mouse_event_node(self):
        bed = Bed()
        bed.add(3, KEYBOARD)
        bed.add(4, TRACKPAD)
        mouse = bed.add(5, MOUSE, uniq="04:0c:ce:aa:bb:cc", mouse_node=2)
        program = self.start(bed)
        self.assertEqual(program.send("rescan", "devices"), "devices 1")
        self.assertIn("opened /dev/input/event5", program.lines)
        self.assertEqual([line for line in program.lines if line.startswith("opened")],
                         ["opened /dev/input/event5"])
        # Nothing but the mouse's node is ever opened; a keyboard above all.
        self.assertEqual(bed.nodes[3].clients, 0)
        self.assertEqual(bed.nodes[4].clients, 0)
        self.assertEqual(mouse.clients, 1)

    def test_a_recorded_tap_gives_one_click_on_the_virtual_pointer(self):
        bed = Bed()
        mouse = bed.add(5)
        program = self.start(bed)
        program.send("rescan", "devices 1")
        self.assertEqual(program.send("tap on", "tap"), "tap 1 1")
        self.assertEqual(mouse.grabs, ["grabbed"])
        self.assertEqual(len(bed.live_clones()), 1)
        self.tap(bed, 5, program)
        self.assertTrue(eventually(lambda: bed.clicks() == (1, 1)), bed.clicks())
        pump(0.2)
        self.assertEqual(bed.clicks(), (1, 1))
        # The touches are the gesture's: the clone passes nothing of them on.
        clone = bed.live_clones()[0]
        self.assertFalse(any(e[0] == emulated.EV_KEY for f in clone.frames for e in f))
        program.send("tap off", "tap 0")
        self.assertTrue(eventually(lambda: not bed.live_clones()))
        self.assertIsNone(mouse.grabbed_by)

    def test_a_busy_mouse_is_watched_and_its_tap_still_clicks(self):
        bed = Bed()
        mouse = bed.add(5)
        mouse.foreign_grab = True  # another program holds the node
        program = self.start(bed)
        program.send("rescan", "devices 1")
        self.assertEqual(program.send("tap on", "tap"), "tap 0 0")
        self.assertEqual(mouse.grabs, ["busy"])
        self.assertTrue(eventually(lambda: not bed.live_clones()))
        self.tap(bed, 5, program)
        self.assertTrue(eventually(lambda: bed.clicks() == (1, 1)), bed.clicks())
        self.assertIn("status 0 单指轻点 → 点按", program.lines)

    def test_unplug_and_replug_mid_session(self):
        bed = Bed()
        bed.add(4, TRACKPAD)
        bed.add(5, uniq="04:0c:ce:aa:bb:cc")
        program = self.start(bed)
        program.send("rescan", "devices 1")
        program.send("tap on", "tap 1 1")
        self.tap(bed, 5, program)
        self.assertTrue(eventually(lambda: bed.clicks() == (1, 1)), bed.clicks())

        bed.unplug(5)
        program.expect("closed /dev/input/event5")
        self.assertTrue(eventually(lambda: not bed.live_clones()))
        again = bed.add(6, uniq="04:0c:ce:aa:bb:cc")  # the same mouse on a new node
        program.expect("opened /dev/input/event6")
        self.assertTrue(eventually(lambda: again.grabs == ["grabbed"]), again.grabs)
        self.assertEqual(len(bed.live_clones()), 1)
        self.tap(bed, 6, program)
        self.assertTrue(eventually(lambda: bed.clicks() == (2, 2)), bed.clicks())

    def test_a_node_opened_mid_touch_starts_with_the_finger_down(self):
        bed = Bed()
        mouse = bed.add(5, clock_ok=False)  # stamps on a clock of its own
        mouse.slots = {9: dict(FIRST_CONTACT)}
        program = self.start(bed)
        program.send("rescan", "devices 1")
        reports = bed.recording.reports()[1:]  # the finger was down before we looked
        bed.play(5, reports, base=5.0)
        program.expect("status 1")
        program.expect("status 0")
        frames = [line.split() for line in program.lines if line.startswith("frame")]
        self.assertEqual([int(f[2]) for f in frames], [1] * len(reports) + [0])
        # The contacts found at opening take the node's own time: never before what follows.
        times = [float(f[3]) for f in frames]
        self.assertAlmostEqual(times[0], 5.0 + reports[0][0][0], places=5)
        self.assertEqual(times, sorted(times))

    def test_without_uinput_there_is_no_clone_and_no_grab(self):
        bed = Bed(uinput=False)
        mouse = bed.add(5)
        program = self.start(bed)
        program.send("rescan", "devices 1")
        self.assertEqual(program.send("tap on", "tap"), "tap 0 0")
        self.assertEqual(mouse.grabs, [])
        self.assertIsNone(mouse.grabbed_by)
        self.tap(bed, 5, program)  # still read: the gesture is recognised, the click goes nowhere

    def test_a_recording_of_a_node_on_its_own_clock_replays(self):
        bed = Bed()
        mouse = bed.add(5, clock_ok=False)
        mouse.slots = {9: dict(FIRST_CONTACT)}
        recorder = Program(bed, [ARGS.record])
        self.programs.append(recorder)
        end = time.monotonic() + WAIT
        while "recording" not in recorder.stderr() and time.monotonic() < end:
            pump(0.01)
        self.assertIn("recording Apple Wireless Mouse", recorder.stderr())
        bed.play(5, bed.recording.reports()[1:], base=5.0)
        recorder.expect('{"t"')
        self.assertTrue(eventually(lambda: any('"contacts": []' in line
                                               for line in recorder.drain())))
        recorder.process.send_signal(signal.SIGINT)
        recorder.stop()
        self.assertGreaterEqual(mouse.clock_requests, 1)
        script = "\n".join(recorder.lines) + "\n"
        times = [json.loads(line)["t"] for line in recorder.lines if '"t"' in line]
        self.assertEqual(times[0], 1.0)
        self.assertEqual(times, sorted(times))
        self.assertLess(times[-1], 1.5)
        replay = subprocess.run([ARGS.replay], input=script, capture_output=True, text=True,
                                timeout=WAIT, check=False)
        self.assertEqual(replay.returncode, 0, replay.stderr)
        self.assertIn("单指轻点", replay.stdout)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--session", "--record", "--replay", "--fixtures"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    try:
        bed = Bed(uinput=False)  # nothing the probes run may reach the host's /dev/uinput
        bed.testbed.add_from_string("P: /devices/tavix-probe\nE: SUBSYSTEM=tavix\n")
        env = bed.environment()
        probe = subprocess.run(["/bin/sh", "-c", "test -d /sys/devices/tavix-probe"], env=env,
                               check=False, timeout=WAIT, stdin=subprocess.DEVNULL)
        if probe.returncode != 0:
            print("SKIP: umockdev's preload library does not take effect here")
            return SKIP
        # A sanitizer runtime refuses to start behind another preloaded library.
        probe = subprocess.run([ARGS.session], env=env, check=False, timeout=WAIT,
                               stdin=subprocess.DEVNULL, capture_output=True, text=True)
        if probe.returncode != 0 and "does not come first" in probe.stderr:
            print("SKIP: a sanitizer build cannot run under umockdev's preload library")
            return SKIP
    except (GLib.Error, OSError) as problem:
        print("SKIP: cannot set up a umockdev testbed:", problem)
        return SKIP
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
