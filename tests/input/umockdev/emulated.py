"""Kernel-like devices for a UMockdev testbed: evdev nodes described by an evemu recording and a
/dev/uinput that keeps what each virtual device writes."""

import errno
import struct
import threading

import gi

gi.require_version("UMockdev", "1.0")
from gi.repository import GLib, UMockdev  # noqa: E402,F401 (GLib: for the tests)

EV_SYN, EV_KEY, EV_REL, EV_ABS = 0, 1, 2, 3
SYN_REPORT = 0
BTN_LEFT, BTN_RIGHT = 0x110, 0x111
ABS_MT_SLOT, ABS_MT_TRACKING_ID = 0x2F, 0x39
EVENT = struct.Struct("qqHHi")  # struct input_event on 64-bit Linux

_IOC_READ, _IOC_WRITE = 2, 1


def _ioc(direction, kind, number, size):
    return direction << 30 | size << 16 | ord(kind) << 8 | number


UI_DEV_CREATE = _ioc(0, "U", 1, 0)
UI_DEV_DESTROY = _ioc(0, "U", 2, 0)
UI_DEV_SETUP = _ioc(_IOC_WRITE, "U", 3, 92)
UI_GET_VERSION = _ioc(_IOC_READ, "U", 45, 4)


class Recording:
    """The header (name, ids, bits, axes) and the events of an evemu file."""

    def __init__(self, path):
        self.name = ""
        self.ids = (0, 0, 0, 0)
        self.props = bytearray(8)
        self.bits = {}  # event type → bytearray
        self.axes = {}  # code → (min, max, fuzz, flat, resolution)
        self.events = []  # (seconds, type, code, value)
        with open(path, encoding="utf-8") as f:
            for raw in f:
                line = raw.split("#", 1)[0].strip()
                if not line:
                    continue
                kind, _, rest = line.partition(":")
                fields = rest.split()
                if kind == "N":
                    self.name = rest.strip()
                elif kind == "I":
                    self.ids = tuple(int(v, 16) for v in fields)
                elif kind == "P":
                    self.props = bytearray(int(v, 16) for v in fields)
                elif kind == "B":
                    self.bits.setdefault(int(fields[0], 16), bytearray()).extend(
                        int(v, 16) for v in fields[1:])
                elif kind == "A":
                    self.axes[int(fields[0], 16)] = tuple(int(v) for v in fields[1:6])
                elif kind == "E":
                    self.events.append((float(fields[0]), int(fields[1], 16), int(fields[2], 16),
                                        int(fields[3])))

    def reports(self):
        """The events grouped into reports, each ending with its SYN_REPORT."""
        out, current = [], []
        for event in self.events:
            current.append(event)
            if event[1] == EV_SYN and event[2] == SYN_REPORT:
                out.append(current)
                current = []
        return out


class EvdevNode(UMockdev.IoctlBase):
    """Answers an evdev node's ioctls as the kernel does: from the recording's header, with a
    slot state the test sets, one exclusive grab at a time, ENODEV once unplugged."""

    def __init__(self, recording, name=None, ids=None, phys="", uniq="", clock_ok=True):
        super().__init__()
        self.rec = recording
        self.name = name or recording.name
        self.ids = ids or recording.ids
        self.phys, self.uniq = phys, uniq
        self.clock_ok = clock_ok
        self.slots = {}  # slot → {code: value}; the contacts present when a client opens
        self.grabbed_by = None  # the client holding the grab
        self.foreign_grab = False  # someone else (another program) holds it
        self.unplugged = False
        self.grabs = []  # "grabbed" or "busy", for every grab asked for
        self.clock_requests = 0
        self.clients = 0  # descriptors opened on the node

    def _string(self, client, size, text):
        data = text.encode() + b"\0"
        client.get_arg().resolve(0, size).update(0, list(data[:size]))
        client.complete(min(len(data), size), 0)

    def _bytes(self, client, size, data):
        data = bytes(data)[:size].ljust(size, b"\0")
        client.get_arg().resolve(0, size).update(0, list(data))
        client.complete(size, 0)

    def do_handle_ioctl(self, client):
        request = client.get_request()
        direction, size = request >> 30, (request >> 16) & 0x3FFF
        kind, number = chr((request >> 8) & 0xFF), request & 0xFF
        if kind != "E":
            client.complete(-1, errno.ENOTTY)
            return True
        if self.unplugged:
            client.complete(-1, errno.ENODEV)
            return True
        if number == 0x01:
            self._bytes(client, 4, struct.pack("i", 0x010001))
        elif number == 0x02:
            self._bytes(client, 8, struct.pack("HHHH", *self.ids))
        elif number == 0x03:
            client.complete(-1, errno.EINVAL)
        elif number == 0x06:
            self._string(client, size, self.name)
        elif number == 0x07:
            self._string(client, size, self.phys)
        elif number == 0x08:
            self._string(client, size, self.uniq)
        elif number == 0x09:
            self._bytes(client, size, self.rec.props)
        elif number == 0x0A:
            self._mtslots(client, size)
        elif number in (0x18, 0x19, 0x1A, 0x1B):
            self._bytes(client, size, b"")  # no key, LED, sound or switch is on
        elif 0x20 <= number < 0x40:  # EVIOCGBIT: the event types, or one type's codes
            self._bytes(client, size, self.rec.bits.get(number - 0x20, b""))
        elif 0x40 <= number < 0x80 and direction == _IOC_READ:
            code = number - 0x40
            axis = self.rec.axes.get(code)
            if axis is None:
                client.complete(-1, errno.EINVAL)
            else:
                value = self._current(code)
                self._bytes(client, 24, struct.pack("iiiiii", value, *axis))
        elif number == 0x90:
            self._grab(client)
        elif number == 0xA0:
            self.clock_requests += 1
            client.complete(0 if self.clock_ok else -1, 0 if self.clock_ok else errno.EINVAL)
        else:
            client.complete(-1, errno.EINVAL)
        return True

    def _current(self, code):
        if code == ABS_MT_SLOT:
            return min(self.slots) if self.slots else 0
        return 0

    def _mtslots(self, client, size):
        arg = client.get_arg().resolve(0, size)
        code = struct.unpack_from("I", bytes(arg.retrieve()))[0]
        count = size // 4 - 1
        default = -1 if code == ABS_MT_TRACKING_ID else 0
        values = [self.slots.get(s, {}).get(code, default) for s in range(count)]
        arg.update(0, list(struct.pack("I%di" % count, code, *values)))
        client.complete(0, 0)

    def _grab(self, client):
        wanted = struct.unpack_from("Q", bytes(client.get_arg().retrieve()))[0]
        if wanted:
            busy = self.foreign_grab or (self.grabbed_by not in (None, client))
            self.grabs.append("busy" if busy else "grabbed")
            if busy:
                client.complete(-1, errno.EBUSY)
                return
            self.grabbed_by = client
        elif self.grabbed_by is client:
            self.grabbed_by = None
        else:
            client.complete(-1, errno.EINVAL)
            return
        client.complete(0, 0)

    def do_client_connected(self, client):
        self.clients += 1

    def do_handle_read(self, client):
        if self.unplugged:
            client.complete(-1, errno.ENODEV)
            return True
        return False  # the events the test wrote into the node

    def do_client_vanished(self, client):
        if self.grabbed_by is client:
            self.grabbed_by = None  # closing the descriptor ends its grab


class VirtualDevice:
    """What one /dev/uinput descriptor declared and wrote."""

    def __init__(self):
        self.name = ""
        self.created = False
        self.destroyed = False
        self.codes = set()  # (type, code) declared
        self.frames = []  # each: list of (type, code, value) up to its SYN_REPORT
        self.pending = []


class Uinput(UMockdev.IoctlBase):
    """/dev/uinput: makes a virtual device per open descriptor and keeps what it writes."""

    def __init__(self):
        super().__init__()
        self.devices = []
        self._by_client = {}
        self.lock = threading.Lock()

    def _device(self, client):
        key = client
        if key not in self._by_client:
            device = VirtualDevice()
            self._by_client[key] = device
            with self.lock:
                self.devices.append(device)
        return self._by_client[key]

    def do_handle_ioctl(self, client):
        request = client.get_request()
        device = self._device(client)
        size = (request >> 16) & 0x3FFF
        kind, number = chr((request >> 8) & 0xFF), request & 0xFF
        if kind != "U":
            client.complete(-1, errno.ENOTTY)
        elif request == UI_GET_VERSION:
            client.get_arg().resolve(0, 4).update(0, list(struct.pack("I", 5)))
            client.complete(0, 0)
        elif 100 <= number <= 110 and (request >> 30) == _IOC_WRITE:  # UI_SET_*BIT
            value = struct.unpack_from("Q", bytes(client.get_arg().retrieve()))[0]
            kinds = {100: "ev", 101: EV_KEY, 102: EV_REL, 103: EV_ABS}
            if number in kinds and kinds[number] != "ev":
                device.codes.add((kinds[number], value))
            client.complete(0, 0)
        elif request == UI_DEV_SETUP:
            raw = bytes(client.get_arg().resolve(0, 92).retrieve())
            device.name = raw[8:88].split(b"\0", 1)[0].decode()
            client.complete(0, 0)
        elif request == UI_DEV_CREATE:
            device.created = True
            client.complete(0, 0)
        elif request == UI_DEV_DESTROY:
            device.destroyed = True
            client.complete(0, 0)
        elif number == 44:  # UI_GET_SYSNAME(len)
            index = self.devices.index(device)
            name = b"input%d\0" % (100 + index)
            client.get_arg().resolve(0, size).update(0, list(name[:size]))
            client.complete(len(name), 0)
        else:
            client.complete(-1, errno.EINVAL)
        return True

    def do_handle_write(self, client):
        device = self._device(client)
        data = bytes(client.get_arg().retrieve())
        for offset in range(0, len(data) - EVENT.size + 1, EVENT.size):
            _, _, kind, code, value = EVENT.unpack_from(data, offset)
            if kind == EV_SYN and code == SYN_REPORT:
                with self.lock:
                    device.frames.append(device.pending)
                device.pending = []
            else:
                device.pending.append((kind, code, value))
        client.complete(len(data), 0)
        return True

    def do_client_vanished(self, client):
        device = self._by_client.get(client)
        if device:
            device.destroyed = True

    def named(self, name):
        with self.lock:
            return [d for d in self.devices if d.name == name and d.created]
