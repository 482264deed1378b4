"""Pieces shared by the reference generators, mirrored bit for bit in
reference_sample.h: the splitmix64 generator, the samples of x values drawn from
it, and the FNV-1a 64 digest of result bit patterns.

Only the Python standard library is used. The reference values come from exact
integer arithmetic: Python's int ** k is exact, and float(int) and int / int are
correctly rounded (to nearest, ties to even), independently of the C++ code.
"""

import math
import struct

MASK64 = (1 << 64) - 1
FNV_OFFSET = 0xCBF29CE484222325
FNV_PRIME = 0x100000001B3
CANONICAL_NAN64 = 0x7FF8000000000000
CANONICAL_NAN32 = 0x7FC00000
FRACTION64 = (1 << 52) - 1
FRACTION32 = (1 << 23) - 1


class SplitMix64:
    def __init__(self, seed):
        self.state = seed & MASK64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        return z ^ (z >> 31)


class Fnv1a64:
    """FNV-1a 64 over the little-endian bytes of each value; NaNs count as one."""

    def __init__(self):
        self.value = FNV_OFFSET

    def add(self, bits, width):
        h = self.value
        for _ in range(width):
            h = ((h ^ (bits & 0xFF)) * FNV_PRIME) & MASK64
            bits >>= 8
        self.value = h

    def add_double(self, x):
        bits = CANONICAL_NAN64 if math.isnan(x) else double_bits(x)
        self.add(bits, 8)

    def add_float(self, x):
        bits = CANONICAL_NAN32 if math.isnan(x) else float_bits(x)
        self.add(bits, 4)


def double_bits(x):
    return struct.unpack('<Q', struct.pack('<d', x))[0]


def double_from_bits(bits):
    return struct.unpack('<d', struct.pack('<Q', bits))[0]


def float_bits(x):
    """Bits of a double that is exactly a float32 value (or an infinity)."""
    return struct.unpack('<I', struct.pack('<f', x))[0]


def float_from_bits(bits):
    return struct.unpack('<f', struct.pack('<I', bits))[0]


def to_float32(x):
    """x rounded to float32, to nearest with ties to even, as a C cast does."""
    try:
        return float_from_bits(float_bits(x))
    except OverflowError:  # finite but rounds beyond the float32 range
        return math.copysign(math.inf, x)


def threshold_exponent(b):
    """Unbiased exponent near which x^k0 crosses the overflow, normal or subnormal
    limit of a double, for k0 in 1..15 and the limit chosen by b."""
    k0 = 1 + b % 15
    limit = (b >> 8) % 3
    if limit == 0:
        return 1024 // k0
    if limit == 1:
        return -((1022 + k0 - 1) // k0)
    return -((1074 + k0 - 1) // k0)


def odd_with_bits(b, count):
    """An odd number of exactly count bits taken from b."""
    return (b & ((1 << count) - 1)) | 1 | (1 << (count - 1))


def float32_sample(rng):
    """Bits of one float32 x: any pattern, subnormals, integers, values near 1,
    few significant bits (exact ties of x^k), values near the limits of x^k."""
    r = rng.next()
    b = rng.next()
    kind = r % 8
    sign = ((r >> 8) & 1) << 31
    if kind == 0:
        return b & 0xFFFFFFFF
    if kind == 1:
        return sign | (b & FRACTION32)
    if kind == 2:
        value = b % 65537
        return sign | float_bits(float(value))
    if kind == 3:
        field = 126 + (b & 1)
        fraction = (b >> 1) & FRACTION32
        if (b >> 40) & 1:
            fraction &= 0xFF
        elif (b >> 41) & 1:
            fraction = FRACTION32 - (fraction & 0xFF)
        return sign | (field << 23) | fraction
    if kind == 4:
        count = 1 + b % 24
        m = odd_with_bits(b >> 8, count)
        field = 1 + (b >> 40) % 254
        return sign | (field << 23) | ((m << (24 - count)) & FRACTION32)
    if kind == 5:
        count = 1 + b % 23
        m = odd_with_bits(b >> 8, count)
        shift = (b >> 40) % (24 - count)
        return sign | (m << shift)
    if kind == 6:
        field = 127 + threshold_exponent(b) + (b >> 16) % 3 - 1
        field = min(max(field, 1), 254)
        return sign | (field << 23) | ((b >> 24) & FRACTION32)
    field = 127 - 40 + b % 81
    return sign | (field << 23) | ((b >> 8) & FRACTION32)


def double_sample(rng):
    """Bits of one double x: any pattern, moderate magnitudes, values near the
    limits of x^k, few significant bits (exact ties)."""
    r = rng.next()
    b = rng.next()
    kind = r % 4
    sign = ((r >> 8) & 1) << 63
    if kind == 0:
        return b
    if kind == 1:
        field = 1023 - 80 + (r >> 16) % 161
        return sign | (field << 52) | (b & FRACTION64)
    if kind == 2:
        field = 1023 + threshold_exponent(r >> 16) + (r >> 40) % 3 - 1
        field = min(max(field, 1), 2046)
        return sign | (field << 52) | (b & FRACTION64)
    count = 1 + (r >> 16) % 53
    m = odd_with_bits(b, count)
    field = 1023 - 60 + (r >> 24) % 121
    return sign | (field << 52) | ((m << (53 - count)) & FRACTION64)


def exact_power(x, k):
    """x^k correctly rounded, from exact integer arithmetic; special values as pow."""
    if k == 0:
        return 1.0
    if math.isnan(x):
        return x
    negative = math.copysign(1.0, x) < 0 and k % 2 == 1
    if math.isinf(x) or x == 0:
        magnitude = math.inf if math.isinf(x) else 0.0
        return -magnitude if negative else magnitude
    n, d = x.as_integer_ratio()
    try:
        return n ** k / d ** k  # exact ratio, correctly rounded once
    except OverflowError:
        return -math.inf if negative else math.inf


def c_array(name, values, ctype='std::uint64_t', per_line=3, width=16):
    lines = [f'inline constexpr {ctype} {name}[] = {{']
    for i in range(0, len(values), per_line):
        chunk = ', '.join(f'0x{v:0{width}X}u' for v in values[i:i + per_line])
        lines.append(f'    {chunk},')
    lines.append('};')
    return '\n'.join(lines)
