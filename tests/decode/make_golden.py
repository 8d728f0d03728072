#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the golden files of the EDID decoder test from edid-decode's output.

Run once, and again only when a table is added: the test itself never needs edid-decode.
For every tests/data/<folder>/<name>.bin it writes tests/data/golden/<folder>/<name>.txt with the
fields the test compares, one per line:

    manufacturer ABC
    product 1234
    timing 1920x1080 60.000           every detailed timing, base block first
    vics 16 4 31 ...                  the Video Data Blocks, in order
    physical-address 1.0.0.0
    hf-max-tmds 600                   HDMI Forum VSDB or SCDB, when it gives a rate
    eotfs SDR PQ ...                  HDR static metadata block
    luminance max|average|min 123.456
    checksum 1 good|bad               per block

Usage: tests/decode/make_golden.py   (needs the edid-decode package)
"""
import pathlib
import re
import subprocess

HERE = pathlib.Path(__file__).resolve().parent
DATA = HERE.parent / "data"

EOTF_NAMES = {
    "Traditional gamma - SDR luminance range": "SDR",
    "Traditional gamma - HDR luminance range": "HDR",
    "SMPTE ST2084": "PQ",
    "Hybrid Log-Gamma": "HLG",
}
LUMINANCE = {
    "Desired content max luminance": "max",
    "Desired content max frame-average luminance": "average",
    "Desired content min luminance": "min",
}


def indent(line):
    return len(line) - len(line.lstrip(" "))


def golden(text):
    out = []
    vics = []
    section = None  # the data block a line belongs to
    block = -1
    for line in text.splitlines():
        stripped = line.strip()
        m = re.match(r"Block (\d+), ", line)
        if m:
            block = int(m.group(1))
            section = None
            continue
        if indent(line) == 2 and stripped.endswith(":"):
            section = stripped
        elif indent(line) <= 2 and stripped:
            section = None
        m = re.match(r"Manufacturer: (\S+)", stripped)
        if m and block == 0:
            out.append("manufacturer " + m.group(1))
        m = re.match(r"Model: (\d+)", stripped)
        if m and block == 0:
            out.append("product " + m.group(1))
        m = re.match(r"DTD\s+\d+:\s+(\d+)x(\d+)(i?)\s+([\d.]+) Hz", stripped)
        if m:
            out.append("timing %sx%s%s %.3f" % (m.group(1), m.group(2), m.group(3),
                                               float(m.group(4))))
        if section == "Video Data Block:":
            m = re.match(r"VIC\s+(\d+):", stripped)
            if m:
                vics.append(m.group(1))
        m = re.match(r"Source physical address: (\S+)", stripped)
        if m:
            out.append("physical-address " + m.group(1))
        m = re.match(r"Maximum TMDS Character Rate: (\d+) MHz", stripped)
        if m:
            out.append("hf-max-tmds " + m.group(1))
        if section == "HDR Static Metadata Data Block:":
            if stripped in EOTF_NAMES:
                out.append("eotf " + EOTF_NAMES[stripped])
            m = re.match(r"(.*): \d+ \(([\d.]+) cd/m\^2\)", stripped)
            if m and m.group(1) in LUMINANCE:
                out.append("luminance %s %s" % (LUMINANCE[m.group(1)], m.group(2)))
        m = re.match(r"Checksum: 0x[0-9a-f]{2}( \(should be)?", line)
        if m:
            out.append("checksum %d %s" % (block, "bad" if m.group(1) else "good"))
    if vics:
        out.insert(2, "vics " + " ".join(vics))
    return out


def main():
    for table in sorted(DATA.glob("*/*.bin")):
        if table.parent.name == "golden":
            continue
        result = subprocess.run(["edid-decode", str(table)], capture_output=True, text=True)
        target = DATA / "golden" / table.parent.name / (table.stem + ".txt")
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text("\n".join(golden(result.stdout)) + "\n")


if __name__ == "__main__":
    main()
