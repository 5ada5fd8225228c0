#!/usr/bin/env python3
"""Writes the El Centro 1940 NS record of a .quarvel file in the other record formats.

Every sample is written as the same decimal number as in the .quarvel file (only its form
changes: 0.00630 becomes 6.3000000E-03 or .63000E-02), so each variant reads back to the same
doubles. The build runs it: make_elcentro_variants.py SOURCE.quarvel OUTPUT_FOLDER
"""
import sys
from decimal import Decimal
from pathlib import Path

source, out = Path(sys.argv[1]), Path(sys.argv[2])
out.mkdir(parents=True, exist_ok=True)
lines = source.read_text().splitlines()
step = Decimal(lines[9])
samples = [Decimal(s) for s in lines[11:11 + int(lines[10])]]
times = [step * i for i in range(len(samples))]


def scientific(value, leading_dot):
    """value in E form: 6.3000000E-03, or .63000E-02 with leading_dot."""
    if value == 0:
        return " .00000E+00" if leading_dot else " 0.0000000E+00"
    exponent = abs(value).adjusted() + leading_dot
    mantissa = f"{abs(value).scaleb(-exponent):.{5 if leading_dot else 7}f}"[leading_dot:]
    return f"{'-' if value < 0 else ' '}{mantissa}E{exponent:+03d}"


def at2(count_line, leading_dot):
    head = ["PEER NGA STRONG MOTION DATABASE RECORD",
            "IMPERIAL VALLEY 05/19/40, EL CENTRO ARRAY #9, 180",
            "ACCELERATION TIME SERIES IN UNITS OF G",
            count_line]
    rows = ["".join(f"{scientific(v, leading_dot):>15}" for v in samples[i:i + 5])
            for i in range(0, len(samples), 5)]
    return "\n".join(head + rows) + "\n"


count = len(samples)
(out / "elcentro-npts-keywords.AT2").write_text(
    at2(f"NPTS= {count:5d}, DT=   .0200 SEC", leading_dot=False))
(out / "elcentro-npts-first.at2").write_text(
    at2(f"  {count}    0.0200    NPTS, DT", leading_dot=True))
(out / "elcentro-one-column.txt").write_text("".join(f"{v}\n" for v in samples))
(out / "elcentro-two-columns.txt").write_text(
    "# time [s]  acceleration [g]\n" + "".join(f"{t}\t{v}\n" for t, v in zip(times, samples)))
(out / "elcentro.csv").write_text(
    't_s,"ag (g), NS"\r\n' + "".join(f"{t},{v}\r\n" for t, v in zip(times, samples)))
