#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/ (kept in the repository;
run again only to change them). Pictures come from ImageMagick's `convert`."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    os.makedirs(os.path.join(ROOT, target), exist_ok=True)
    with open(os.path.join(ROOT, target, name), "wb") as f:
        f.write(data)


def picture(fmt, size="8x6"):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "p." + fmt)
        subprocess.run(["convert", "-size", size, "gradient:red-blue", "-strip", path], check=True)
        with open(path, "rb") as f:
            return f.read()


# --- performance data: two bytes of name-list length, the list, the block ---
def perf_block(system=2, up_time=674, start=1_000_000, now=9_000_000, freq=10_000_000):
    counter = struct.pack("<IIiIIiIIII", 40, up_time, 0, up_time, 0, 0, 0, 0x30240500, 8, 8)
    definition = 64 + 40
    obj_total = definition + 8 + 8
    obj = struct.pack("<IIIIIIIIIiiIqq", obj_total, definition, 64, system, 0, 0, 0, 0, 1, 0, -1,
                      0, now, freq)
    data_block = struct.pack("<I", 16) + b"\0" * 4 + struct.pack("<q", start)
    total = 64 + len(obj) + len(counter) + len(data_block)
    header = "PERF".encode("utf-16-le") + struct.pack("<IIIIII", 1, 1, 0, total, 64, 1)
    header = header.ljust(64, b"\0")
    return header + obj + counter + data_block


def perf_input(names, block):
    return struct.pack("<H", len(names)) + names + block


names = b"1\0" + b"1847\0" + b"2\0System\0" + b"674\0System Up Time\0" + b"\0"
put("perf_data", "seed-valid", perf_input(names, perf_block()))
put("perf_data", "seed-names-only", perf_input(names, b""))
put("perf_data", "seed-bad-index", perf_input(b"2x\0System\0\0", perf_block()))

# --- INI files ---
put("ini_store", "seed-wattdial",
    b"[Parameters]\r\nWatts=107.125\r\nUnitFee=2.59\r\nUnitCo2=0.637\r\nAlarmTime=00:00:00\r\n"
    b"AutoSNTP=1\r\nSNTPServer=time.stdtime.gov.tw\r\nFromDate=2024/3/5\r\n"
    b"[History]\r\nToday=1.5\r\nThisWeek=2\r\nThisMonth=3\r\nThisYear=4\r\n[Form]\r\nInitMax=0\r\n")
put("ini_store", "seed-odd",
    b"\xef\xbb\xbf  ; comment\n[ parameters ]\nwatts = \"30\" \n=\n=\nnoequals\n[History]\rToday=5\r"
    b"[History]\nToday=6\n")

# --- settings texts: byte 0 picks a locale's formats, or past 96 takes them from the input ---
for i, text in enumerate(["3/5/2024", "2024/3/5", "05.03.2024", "2024. 03. 05.", "5.03.2024.",
                          "5.03.2024 г.", "5\u200f/3\u200f/2024", "Klock 13.05:07",
                          "13 h 05 min 07 s", "오후 1:05:07", "r.n. ga 9:05:07", "1:05:07 p. m."]):
    put("settings_text", "seed-%02d" % i, bytes([i]) + text.encode())
put("settings_text", "seed-float", bytes([2]) + b"-1,5E-7")
put("settings_text", "seed-hex", bytes([0]) + b"0x10")
put("settings_text", "seed-time-tw", bytes([1]) + "下午 01:00:59".encode())
put("settings_text", "seed-own-format",
    bytes([200]) + "dddd, d 'de' MMMM yyyy\0tt h:mm:ss\0Tuesday, 5 de March 2024".encode())

# --- SNTP replies: byte 0 flags (1: our echo), then the datagram ---
reply = bytes([0x1C, 2, 6, 0xEC]) + b"\0" * 8 + b"GPS\0" + struct.pack(">II", 0xEC000000, 0)
reply += b"\0" * 8 + struct.pack(">IIII", 0xED000000, 1, 0xED000000, 2)
put("sntp_reply", "seed-reply", bytes([1]) + reply)
put("sntp_reply", "seed-not-ours", bytes([0]) + reply)
put("sntp_reply", "seed-long", bytes([1]) + reply + b"\x55" * 52)
put("sntp_reply", "seed-short", bytes([1]) + reply[:40])


# --- movies ---
class Bits:
    def __init__(self):
        self.bits = []

    def u(self, value, n):
        self.bits += [(value >> (n - 1 - i)) & 1 for i in range(n)]

    def s(self, value, n):
        self.u(value & ((1 << n) - 1), n)

    def bytes(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def rect(x0, x1, y0, y1):
    b = Bits()
    b.u(15, 5)
    for v in (x0, x1, y0, y1):
        b.s(v, 15)
    return b.bytes()


def tag(code, body):
    if len(body) < 63:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 63, len(body)) + body


def shape(char_id, w, h, colour):
    body = struct.pack("<H", char_id) + rect(0, w, 0, h)
    body += bytes([1, 0]) + bytes(colour) + bytes([0])  # one solid fill, no lines
    b = Bits()
    b.u(1, 4)
    b.u(0, 4)
    b.u(0, 1)
    b.u(0b00011, 5)  # fill style 1 and move to
    b.u(15, 5)
    b.s(0, 15)
    b.s(0, 15)
    b.u(1, 1)
    for dx, dy in ((w, 0), (0, h), (-w, 0), (0, -h)):
        b.u(1, 1)
        b.u(1, 1)
        b.u(14, 4)
        b.u(1, 1)
        b.s(dx, 16)
        b.s(dy, 16)
    b.u(0, 6)
    return tag(2, body + b.bytes())


def place(depth, char_id):
    return tag(26, bytes([0x02]) + struct.pack("<HH", depth, char_id))


def movie(tags, width=800, height=600, frames=1):
    body = rect(0, width, 0, height) + struct.pack("<HH", 12 << 8, frames) + b"".join(tags)
    body += tag(0, b"")
    return b"FWS" + bytes([8]) + struct.pack("<I", 8 + len(body)) + body


jpeg, png, gif = picture("jpg"), picture("png"), picture("gif")
put("swf_movie", "seed-shape",
    movie([tag(9, bytes([45, 69, 0])), shape(1, 400, 300, (255, 0, 0)), place(1, 1), tag(1, b""),
           shape(2, 200, 100, (0, 0, 255)), place(2, 2), tag(1, b"")], frames=2))
put("swf_movie", "seed-bitmaps",
    movie([tag(21, struct.pack("<H", 3) + jpeg), tag(21, struct.pack("<H", 4) + png),
           tag(21, struct.pack("<H", 5) + gif), tag(1, b"")]))
cws = movie([shape(1, 400, 300, (0, 255, 0)), place(1, 1), tag(1, b"")])
put("swf_movie", "seed-compressed", b"CWS" + cws[3:8] + zlib.compress(cws[8:]))

put("jpeg_image", "seed", bytes([0]) + jpeg)
put("png_image", "seed", png)
put("png_image", "seed-palette", picture("png8"))
put("gif_image", "seed", gif)
# --- rendered System-log events (Kernel-General 12 and 13, Kernel-Power 41 and 42, as in
# the tests of power_record), cut at NUL bytes ---
def event(provider, guid, event_id, created, data):
    fields = "".join('<Data Name="%s">%s</Data>' % kv for kv in data)
    return ('<Event xmlns="http://schemas.microsoft.com/win/2004/08/events/event"><System>'
            '<Provider Name="Microsoft-Windows-%s" Guid="{%s}"/><EventID>%d</EventID>'
            '<TimeCreated SystemTime="%s"/><EventRecordID>1</EventRecordID><Channel>System'
            '</Channel></System><EventData>%s</EventData></Event>'
            % (provider, guid, event_id, created, fields)).encode()


general, power = "A68CA8B7-004F-D7B6-A698-07E2DE0F1F5D", "331C3B3A-2005-44C2-AC5E-77220C37D6B4"
start = event("Kernel-General", general, 12, "2026-12-01T07:00:00.1Z",
              [("StartTime", "2026-12-01T06:59:58.5Z")])
sleep = event("Kernel-Power", power, 42, "2026-12-01T12:00:00Z", [("TargetState", "4"), ("Reason", "0")])
stop = event("Kernel-General", general, 13, "2026-12-01T23:30:00Z", [("StopTime", "2026-12-01T23:30:00Z")])
crash = event("Kernel-Power", power, 41, "2026-12-02T08:00:00Z", [("BugcheckCode", "0")])
put("power_events", "seed-day", b"\0".join([start, sleep, stop]))
put("power_events", "seed-crash", b"\0".join([start, crash, start]))
print("fuzz seeds written under", ROOT, file=sys.stderr)
