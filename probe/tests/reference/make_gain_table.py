#!/usr/bin/env python3
"""Writes the gain factors 10^((gain - 52) / 20), gain 0..255, as the library uses them.

Each factor is formed the way the position conversion defines it:

  1. the exponent (gain - 52.0) / 20.0 rounded to the nearest double;
  2. ten raised to that double exactly, rounded to the nearest double (an exact pow);
  3. that double rounded to the nearest float32.

The power is computed with the decimal module at 100 significant digits, twice and by two
different routes (power, and exp of a product with ln 10); the two must agree and must lie
far enough from every rounding boundary that the rounding they give is that of the exact
power. All rounding is done here on exact rationals, ties to even, without the host's floats.

Outputs, both overwritten:
  probe/src/numerics/gain_table.cpp       the table, as hex-float literals
  probe/tests/reference/gain_table_bits.h the expected float32 bit patterns

Run from anywhere: python3 probe/tests/reference/make_gain_table.py
"""

import decimal
import pathlib
import sys
from fractions import Fraction

PRECISION = 100
# A computed power is trusted to this relative error; a rounding boundary closer than
# this to it would make the rounding undecidable here, and the script stops.
TRUSTED_RELATIVE_ERROR = Fraction(1, 10**80)

UNITY_GAIN = 52
GAINS = range(256)

DOUBLE = (53, -1074)  # significand bits, exponent of the smallest subnormal step
FLOAT32 = (24, -149)

ROOT = pathlib.Path(__file__).resolve().parents[3]
TABLE_PATH = ROOT / "probe/src/numerics/gain_table.cpp"
BITS_PATH = ROOT / "probe/tests/reference/gain_table_bits.h"


def ulp_exponent(value: Fraction, fmt) -> int:
    """Exponent e of the step 2^e between neighbours of the format around a positive value."""
    bits, smallest = fmt
    e = value.numerator.bit_length() - value.denominator.bit_length()
    if Fraction(2) ** e > value:
        e -= 1
    # now 2^e <= value < 2^(e+1)
    return max(e - (bits - 1), smallest)


def round_to(value: Fraction, fmt) -> Fraction:
    """A rational rounded to the nearest number of the format, ties to even."""
    if value <= 0:
        return -round_to(-value, fmt) if value < 0 else value
    step = Fraction(2) ** ulp_exponent(value, fmt)
    scaled = value / step
    whole = scaled.numerator // scaled.denominator
    rest = scaled - whole
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2 == 1):
        whole += 1
    return whole * step


def rounding_is_decided(approx: Fraction, fmt) -> bool:
    """True when every value within the trusted error of approx rounds as approx does."""
    margin = approx * TRUSTED_RELATIVE_ERROR
    return round_to(approx - margin, fmt) == round_to(approx + margin, fmt)


def to_fraction(value: decimal.Decimal) -> Fraction:
    return Fraction(value)


def exact_power_of_ten(exponent: Fraction) -> Fraction:
    """10^exponent for a dyadic exponent, to PRECISION digits, checked by a second route."""
    with decimal.localcontext() as context:
        context.prec = PRECISION
        context.rounding = decimal.ROUND_HALF_EVEN
        d_exponent = decimal.Decimal(exponent.numerator) / decimal.Decimal(exponent.denominator)
        if Fraction(d_exponent) != exponent:
            sys.exit(f"the exponent {exponent} does not fit in {PRECISION} digits")
        first = decimal.Decimal(10) ** d_exponent
        context.prec = PRECISION + 20
        second = (d_exponent * decimal.Decimal(10).ln()).exp()
    a, b = to_fraction(first), to_fraction(second)
    if abs(a - b) > a * TRUSTED_RELATIVE_ERROR:
        sys.exit(f"the two routes to 10^{exponent} disagree")
    return a


def float32_bits(value: Fraction) -> int:
    """Bit pattern of a positive normal float32 given exactly."""
    e = ulp_exponent(value, FLOAT32) + 23
    significand = value / Fraction(2) ** e
    assert significand.denominator == 1 or (significand * 2**23).denominator == 1
    mantissa = int(significand * 2**23) - 2**23
    assert 0 <= mantissa < 2**23 and -126 <= e <= 127
    return ((e + 127) << 23) | mantissa


def hex_float(value: Fraction) -> str:
    """C hex-float literal of a float32 value, e.g. 0x1.99999ap-4f."""
    bits = float32_bits(value)
    exponent = (bits >> 23) - 127
    mantissa = (bits & 0x7FFFFF) << 1  # 24 bits: six hex digits
    return f"0x1.{mantissa:06x}p{exponent:+d}f".replace("p+", "p")


def distance_to_float32_tie(value: Fraction) -> Fraction:
    """How far a double lies from the nearest float32 rounding tie, in units of its own ulp."""
    step = Fraction(2) ** ulp_exponent(value, FLOAT32)
    scaled = value / step
    offset = abs(scaled - scaled.numerator // scaled.denominator - Fraction(1, 2))
    return offset * step / Fraction(2) ** ulp_exponent(value, DOUBLE)


def gain_factor(gain: int):
    """(float32 value, whether rounding straight to float32 differs, distance of the double
    from a float32 tie in double ulps)."""
    exponent = round_to(Fraction(gain - UNITY_GAIN, 20), DOUBLE)
    if exponent.denominator == 1:
        power = Fraction(10) ** exponent  # exact: 10^k for whole k
    else:
        power = exact_power_of_ten(exponent)
        if not rounding_is_decided(power, DOUBLE) or not rounding_is_decided(power, FLOAT32):
            sys.exit(f"gain {gain}: the power lies too close to a rounding boundary")
    as_double = round_to(power, DOUBLE)
    via_double = round_to(as_double, FLOAT32)
    direct = round_to(power, FLOAT32)
    return via_double, via_double != direct, distance_to_float32_tie(as_double)


def write_table(factors):
    lines = [
        "// Generated by probe/tests/reference/make_gain_table.py; do not edit.",
        "// 10^((gain - 52) / 20): the exponent rounded to double, the power exact and",
        "// rounded to double, then to float.",
        '#include "gain_table.h"',
        "",
        "namespace probe {",
        "",
        "// clang-format off",
        "const float kGainFactors[kGainCount] = {",
    ]
    for row in range(0, len(factors), 4):
        lines.append("    " + " ".join(hex_float(v) + "," for v in factors[row:row + 4]))
    lines += ["};", "// clang-format on", "", "}  // namespace probe", ""]
    TABLE_PATH.write_text("\n".join(lines))


def write_bits(bits):
    lines = [
        "// Generated by probe/tests/reference/make_gain_table.py; do not edit.",
        "// Expected float32 bit patterns of the gain factors, gain 0..255.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "",
        "namespace gain_reference {",
        "",
        "// clang-format off",
        "inline constexpr std::uint32_t kFactorBits[256] = {",
    ]
    for row in range(0, len(bits), 6):
        lines.append("    " + " ".join(f"0x{b:08X}u," for b in bits[row:row + 6]))
    lines += ["};", "// clang-format on", "", "}  // namespace gain_reference", ""]
    BITS_PATH.write_text("\n".join(lines))


def main():
    factors, double_rounding_matters, closest = [], [], None
    for gain in GAINS:
        value, differs, distance = gain_factor(gain)
        factors.append(value)
        if differs:
            double_rounding_matters.append(gain)
        if closest is None or distance < closest[0]:
            closest = (distance, gain)
    bits = [float32_bits(v) for v in factors]
    write_table(factors)
    write_bits(bits)
    print(f"wrote {TABLE_PATH.relative_to(ROOT)} and {BITS_PATH.relative_to(ROOT)}")
    if double_rounding_matters:
        print("gains where rounding through double changes the float32:", double_rounding_matters)
    else:
        print("rounding through double never changes the float32 result")
    print(f"closest double to a float32 tie: gain {closest[1]}, {float(closest[0]):.0f} double ulps away")


if __name__ == "__main__":
    main()
