#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses: sound images of each probe type,
images at the order limits, and encoder records in every mode."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def crc(data):
    value = 0
    for b in data:
        value ^= b
        for _ in range(8):
            value = (value >> 1) ^ 0x9021 if value & 1 else value >> 1
    return value


def text(image, offset, width, value):
    raw = value.encode('ascii') + b'\0'
    raw = raw[:width]
    image[offset:offset + len(raw)] = raw


def sound_image(probe_type, p, q, filler=0xFF):
    image = bytearray([filler] * 256)
    text(image, 0, 4, 'M%03d' % probe_type)
    text(image, 4, 8, 'S%07d' % 1234567)
    text(image, 12, 8, 'O%-7s' % 'PROBE')
    text(image, 20, 8, 'DCAL2512')
    text(image, 28, 8, 'DFAB2406')
    text(image, 36, 8, 'N%07d' % 42)
    text(image, 44, 4, 'G052')
    text(image, 64, 8, 'FR%2.1f' % 3.5)
    text(image, 72, 8, 'C%07d' % 100)
    text(image, 80, 4, 'PO%02d' % p)
    image[84:88 + 4 * p] = b''.join(struct.pack('<f', 0.5 * (k + 1) / (k + 2) ** 3) for k in range(p + 1))
    base = 88 + 4 * p
    if probe_type == 2:
        image[base:base + 4] = struct.pack('<I', crc(image[:base]))
        return bytes(image)
    text(image, base, 8, 'k %2.2f' % 2.0)
    text(image, base + 8, 8, 'x0%2.2f' % 0.5)
    text(image, base + 16, 8, 'F %2.2f' % 2.5)
    text(image, base + 24, 8, 'R %2.2f' % 5.7)
    text(image, base + 32, 8, 'x1%2.2f' % 10.0)
    text(image, base + 40, 8, 'f1%2.2f' % 50.0)
    text(image, base + 48, 8, 'x2%2.2f' % 1.0)
    text(image, base + 56, 8, 'f2%2.2f' % 0.0)
    text(image, base + 64, 4, 'PO%02d' % q)
    image[base + 68:base + 72 + 4 * q] = b''.join(struct.pack('<f', 1.0 + k) for k in range(q + 1))
    image[252:256] = struct.pack('<I', crc(image[:252]))
    return bytes(image)


def record(size, probe_type, p, q, mode, flags):
    data = bytearray(1188)
    struct.pack_into('<iB', data, 0, size, probe_type)
    struct.pack_into('<i', data, 8, 1234567)
    struct.pack_into('<BB', data, 20, 52, p)
    struct.pack_into('<f', data, 28, 3.5)
    data[32:32 + 7] = b'PROBE  '
    data[288:292] = b'2512'
    data[544:800] = b'X' * 256  # a text without NUL
    struct.pack_into('<ffff', data, 800, 0.123, 0.5, 2.5, 5.7)
    struct.pack_into('<B', data, 1176, q)
    struct.pack_into('<I', data, 24, 0x40000000)  # live block of 16 bytes
    struct.pack_into('<I', data, 1180, 0x10000001)  # odd handle
    return bytes(data) + struct.pack('<i', mode) + bytes([flags])


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def main():
    decode = os.path.join(HERE, 'corpus', 'decode')
    for t in (2, 3, 6):
        write(decode, 'type%d-p1-q2.bin' % t, sound_image(t, 1, 2))
        write(decode, 'type%d-p15-q8.bin' % t, sound_image(t, 15, 8))
        write(decode, 'type%d-p0-q0.bin' % t, sound_image(t, 0, 0, filler=0))
    write(decode, 'type6-p8-q15.bin', sound_image(6, 8, 15))
    write(decode, 'type6-p12-q12.bin', sound_image(6, 12, 12))
    # Regressions: integer readings that run on into the next field's bytes.
    runs_on = bytearray(sound_image(6, 1, 2))
    runs_on[48] = ord('7')  # a digit after the gain joins the gain
    runs_on[12] = ord('9')  # a digit after the serial joins the serial
    runs_on[252:256] = struct.pack('<I', crc(runs_on[:252]))
    write(decode, 'regression-readings-run-on.bin', bytes(runs_on))
    encode = os.path.join(HERE, 'corpus', 'encode')
    for mode in (1, 2, 0xFFFF, 0, -1):
        for flags in (0, 1, 3):
            write(encode, 'mode%d-flags%d.bin' % (mode & 0xFFFFFFFF, flags), record(1188, 6, 3, 2, mode, flags))
    write(encode, 'orders-too-large.bin', record(1188, 6, 15, 9, 0xFFFF, 3))
    write(encode, 'position-order-16.bin', record(1188, 3, 16, 0, 2, 0))
    return 0


if __name__ == '__main__':
    sys.exit(main())
