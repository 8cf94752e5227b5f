#!/usr/bin/env python3
"""Watches an X display for windows being mapped (shown), using only the X11
wire protocol over the display's local socket.

    velkor_exit_windows.py READY_FILE

Selects SubstructureNotify on the root window, confirms the selection with a
round trip, then creates READY_FILE. On SIGTERM or SIGINT it makes one more
round trip, so that every event the server generated before it is in hand,
prints one line per MapNotify ("map window=0x... override_redirect=N") and a
final "maps=N", and exits 0.

Every top-level window a Wine program shows, dialog or message box, is mapped
as a child of the root window, however briefly it lives. The display must
accept connections without authorisation, as the Xvfb that with-wine.sh
starts does.
"""
import os
import re
import select
import signal
import socket
import struct
import sys

CREATE_NOTIFY = 16
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
CW_EVENT_MASK = 1 << 11
CHANGE_WINDOW_ATTRIBUTES = 2
GET_INPUT_FOCUS = 43


class XConnection:
    def __init__(self, display):
        match = re.fullmatch(r":(\d+)(?:\.\d+)?", display)
        if not match:
            raise SystemExit(f"velkor_exit_windows: unsupported DISPLAY {display!r}")
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(f"/tmp/.X11-unix/X{match.group(1)}")
        self.buffer = b""
        self.sequence = 0
        self.root = self._handshake()

    def _read(self, count):
        while len(self.buffer) < count:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise SystemExit("velkor_exit_windows: the X server closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:count], self.buffer[count:]
        return data

    def _handshake(self):
        # Little-endian, protocol 11.0, no authorisation.
        self.sock.sendall(struct.pack("<BxHHHHxx", 0x6C, 11, 0, 0, 0))
        status, _, _, _, extra = struct.unpack("<BBHHH", self._read(8))
        body = self._read(extra * 4)
        if status != 1:
            raise SystemExit("velkor_exit_windows: the X server refused the connection")
        vendor_length = struct.unpack_from("<H", body, 16)[0]
        format_count = body[21]
        screens = 32 + (vendor_length + 3) // 4 * 4 + format_count * 8
        return struct.unpack_from("<I", body, screens)[0]

    def _request(self, data):
        self.sock.sendall(data)
        self.sequence = (self.sequence + 1) & 0xFFFF
        return self.sequence

    def select_substructure(self):
        self._request(struct.pack("<BxHIII", CHANGE_WINDOW_ATTRIBUTES, 4, self.root, CW_EVENT_MASK,
                                  SUBSTRUCTURE_NOTIFY_MASK))

    def round_trip(self, on_event):
        """Sends GetInputFocus and hands every event that precedes its reply to on_event."""
        wanted = self._request(struct.pack("<BxH", GET_INPUT_FOCUS, 1))
        while True:
            packet = self._read(32)
            kind = packet[0] & 0x7F
            if kind == 0:
                raise SystemExit(f"velkor_exit_windows: X error {packet[1]}")
            if kind == 1:
                self._read(struct.unpack_from("<I", packet, 4)[0] * 4)
                if struct.unpack_from("<H", packet, 2)[0] == wanted:
                    return
                continue
            on_event(kind, packet)

    def pending(self, timeout):
        if self.buffer:
            return True
        return bool(select.select([self.sock], [], [], timeout)[0])

    def next_event(self):
        packet = self._read(32)
        return packet[0] & 0x7F, packet


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    ready_file = sys.argv[1]
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))

    maps = []

    def on_event(kind, packet):
        if kind == MAP_NOTIFY:
            window, override = struct.unpack_from("<IB", packet, 8)
            maps.append((window, override))

    x = XConnection(os.environ.get("DISPLAY", ""))
    x.select_substructure()
    x.round_trip(on_event)
    with open(ready_file, "w") as ready:
        ready.write("ready\n")

    while not stop:
        try:
            if x.pending(0.1):
                on_event(*x.next_event())
        except InterruptedError:
            pass
    x.round_trip(on_event)

    for window, override in maps:
        print(f"map window=0x{window:x} override_redirect={override}")
    print(f"maps={len(maps)}")
    sys.stdout.flush()


if __name__ == "__main__":
    main()
