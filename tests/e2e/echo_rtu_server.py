#!/usr/bin/env python3
"""A Modbus RTU server on a pseudo-terminal, written from the Modbus application protocol
and serial line documents alone, to test the link against a server that is not the
project's own: it shares no frame code with the link or tqx-sim.

It serves holding registers from a 64 KiB memory image (register r holds bytes 2r, low,
and 2r+1, high), answers functions 03, 06 and 16 at one unit, paces its answers as a line
at the given baud rate would, and sends a second copy of one answer in N (at random, from a
seed) MIN..MAX ms after the first, as a faulty repeater or a device with a stuck transmit
buffer does.

It prints one ready line, "tqx-sim: serving pty PATH (echo server)", in the simulator's
form so that the tests start it as they start the simulator, and stops on SIGTERM.
"""

import argparse
import os
import random
import select
import signal
import struct
import sys
import time
import tty


def crc16(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def framed(body):
    return body + struct.pack("<H", crc16(body))


class Memory:
    def __init__(self, image):
        self.bytes = bytearray(image.ljust(0x10000, b"\0")[:0x10000])

    def register(self, r):
        return self.bytes[2 * r] | self.bytes[2 * r + 1] << 8

    def set_register(self, r, value):
        self.bytes[2 * r] = value & 0xFF
        self.bytes[2 * r + 1] = value >> 8


def exception(unit, function, code):
    return framed(bytes([unit, function | 0x80, code]))


def answer(memory, frame):
    """The answer to one whole request frame (CRC already checked)."""
    unit, function = frame[0], frame[1]
    if function == 0x03:
        first, count = struct.unpack(">HH", frame[2:6])
        if not 1 <= count <= 125 or first + count > 0x8000:
            return exception(unit, function, 2)
        data = b"".join(struct.pack(">H", memory.register(first + i)) for i in range(count))
        return framed(bytes([unit, 3, 2 * count]) + data)
    if function == 0x06:
        first, value = struct.unpack(">HH", frame[2:6])
        if first >= 0x8000:
            return exception(unit, function, 2)
        memory.set_register(first, value)
        return framed(frame[:6])
    if function == 0x10:
        first, count = struct.unpack(">HH", frame[2:6])
        if not 1 <= count <= 123 or first + count > 0x8000 or frame[6] != 2 * count:
            return exception(unit, function, 3)
        for i in range(count):
            memory.set_register(first + i, struct.unpack(">H", frame[7 + 2 * i:9 + 2 * i])[0])
        return framed(frame[:6])
    return exception(unit, function, 1)


def request_length(buffer):
    """The length of the request at the start of `buffer`; 0 while unknown."""
    if len(buffer) < 2:
        return 0
    if buffer[1] in (0x03, 0x06):
        return 8
    if buffer[1] == 0x10:
        return 9 + buffer[6] if len(buffer) >= 7 else 0
    return 8  # an unknown function: its exception needs the address and CRC only


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pty", required=True)
    parser.add_argument("--memory", required=True, help="64 KiB image to serve")
    parser.add_argument("--unit", type=int, default=1)
    parser.add_argument("--baud", type=int, default=9600)
    parser.add_argument("--echo-every", type=int, default=0)
    parser.add_argument("--echo-ms", default="1:150")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    low, high = (int(x) for x in args.echo_ms.split(":"))
    chance = random.Random(args.seed)
    with open(args.memory, "rb") as f:
        memory = Memory(f.read())

    master, slave = os.openpty()
    tty.setraw(master)
    tty.setraw(slave)
    if os.path.lexists(args.pty):
        os.unlink(args.pty)
    os.symlink(os.ttyname(slave), args.pty)
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))
    print("tqx-sim: serving pty %s (echo server)" % args.pty, flush=True)

    char_s = 11.0 / args.baud  # start, 8 data, parity or second stop, stop
    pending = []  # (when, frame) of copies still to send

    def send_due(until):
        """Waits until `until`, sending each copy when its time comes, whatever else the
        server is doing then: the copy of an earlier answer can come between a request
        and its answer."""
        while True:
            now = time.monotonic()
            for item in sorted(p for p in pending if p[0] <= now):
                os.write(master, item[1])
                pending.remove(item)
            if now >= until:
                return
            nxt = min([until] + [p[0] for p in pending])
            time.sleep(max(0.0, nxt - now))
    buffer = b""
    last_byte = 0.0
    while not stop:
        now = time.monotonic()
        send_due(now)
        wait = min([0.2] + [max(0.0, p[0] - now) for p in pending])
        try:
            ready, _, _ = select.select([master], [], [], wait)
        except InterruptedError:
            continue
        if not ready:
            continue
        chunk = os.read(master, 512)
        now = time.monotonic()
        if buffer and now - last_byte > 3.5 * char_s + 0.02:
            buffer = b""  # a silence ends a broken frame
        last_byte = now
        buffer += chunk
        while True:
            need = request_length(buffer)
            if need == 0 or len(buffer) < need:
                break
            frame, buffer = buffer[:need], buffer[need:]
            if crc16(frame[:-2]) != struct.unpack("<H", frame[-2:])[0]:
                buffer = b""
                break
            if frame[0] != args.unit:
                continue
            reply = answer(memory, frame)
            send_due(time.monotonic() + (len(frame) + 3.5 + len(reply)) * char_s)
            os.write(master, reply)
            if args.echo_every > 0 and chance.randrange(args.echo_every) == 0:
                delay = chance.uniform(low, high) / 1000.0
                pending.append((time.monotonic() + delay, reply))
    os.unlink(args.pty)


if __name__ == "__main__":
    sys.exit(main())
