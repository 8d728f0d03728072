#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the golden files of the EDID decoder test from edid-decode's output.

Run once, and again only when a table is added or a field is compared that was not before: the
test itself never needs edid-decode. For every tests/data/<folder>/<name>.bin it writes
tests/data/golden/<folder>/<name>.txt with the fields the test compares, one per line, named as
the decoder's fields and words name them (edid-decode's wording is mapped here):

    manufacturer ABC
    product 1234
    vics 16 4 31 ...                  the Video Data Blocks, in order
    timing 1920x1080 60.000           every detailed timing, base block first
    speakers FL/FR LFE1 ...           Speaker Allocation Data Block
    physical-address 1.0.0.0          HDMI VSDB, and what follows its address:
    content-type game                 one line per content type
    latency video 20                  ms, or "unknown", "none" (not supported); also audio,
                                      interlaced-video, interlaced-audio
    hdmi-vic 1                        one line per HDMI VIC
    image-size aspect|1cm|5cm
    3d-mandatory                      "3D present"
    3d-all-vics                       the 3D formats below are for every VIC
    3d-structure side-by-side (half)  one line per 3D_Structure_ALL format
    3d-mask-vic 4                     one line per VIC of 3D_MASK
    3d-vic 4 side-by-side (half)      one line per 2D_VIC_order entry
    hf-max-tmds 600                   HDMI Forum VSDB or SCDB, when it gives a rate
    allm                              its auto low-latency mode
    vrr-min 48 / vrr-max 144
    dsc-native-420 / dsc-all-bpp
    dsc-bpc 10                        one line per bits per component
    dsc-max-slices 8 340              slices and pixel clock per slice (MHz)
    dsc-chunk-bytes 6144
    eotf SDR|HDR|PQ|HLG               HDR static metadata block
    hdr-static-type 1                 its static metadata descriptor types, one line each
    luminance max|average|min 123.456
    hdr-dynamic 4 4                   HDR dynamic metadata: type and version, one line per type
    colorimetry xvYCC601 ... DCI-P3   Colorimetry Data Block
    displayid 2 1.2                   DisplayID extension: block and version
    displayid-product 2 0             its product type (1.x) or primary use case (2.x)
    displayid-timing 3840x2160 144.000
    checksum 1 good|bad               per block

Where the decoder and edid-decode part, tests/data/golden/<folder>/<name>.accepted says why, as
data beside the golden file (see tests/data/README.md); this script leaves those files alone.

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
# edid-decode's names of colorimetry bits where the decoder's differ. Bit 15 is DCI-P3 in
# CTA-861-G and ST2113RGB from CTA-861-H on: the same bit.
COLORIMETRY_NAMES = {
    "Reserved MD0": "MD0",
    "Reserved MD1": "MD1",
    "Reserved MD2": "MD2",
    "Reserved MD3": "MD3",
    "Default": "defaultRGB",
    "ST2113RGB": "DCI-P3",
}
STRUCTURES_3D = {
    "Frame-packing": "frame packing",
    "Field-alternative": "field alternative",
    "Line-alternative": "line alternative",
    "Side-by-side (full)": "side-by-side (full)",
    "L + depth": "L + depth",
    "L + depth + gfx + gfx-depth": "L + depth + graphics + graphics-depth",
    "Top-and-bottom": "top-and-bottom",
    "Side-by-side (half, horizontal)": "side-by-side (half)",
    "Side-by-side (half, quincunx)": "side-by-side (half, quincunx)",
}
# The format of a 2D_VIC_order entry, as edid-decode puts it after the VIC.
VIC_STRUCTURES_3D = {
    "frame packing": "frame packing",
    "field alternative": "field alternative",
    "line alternative": "line alternative",
    "side-by-side full": "side-by-side (full)",
    "L + depth": "L + depth",
    "L + depth + gfx + gfx-depth": "L + depth + graphics + graphics-depth",
    "top-and-bottom": "top-and-bottom",
    "side-by-side": "side-by-side (half)",
}
IMAGE_SIZES = {
    "Base EDID image size is aspect ratio": "aspect",
    "Base EDID image size is in units of 1 cm": "1cm",
    "Base EDID image size is in units of 5 cm": "5cm",
}
LATENCIES = {
    "Video latency": "video",
    "Audio latency": "audio",
    "Interlaced video latency": "interlaced-video",
    "Interlaced audio latency": "interlaced-audio",
}
# DisplayID 1.x display product types.
DISPLAYID_PRODUCTS = {
    "Extension Section": 0,
    "Test Structure; test equipment only": 1,
    "Display panel or other transducers, LCD or PDP module, etc.": 2,
    "Standalone display device": 3,
    "Television receiver": 4,
    "Repeater/translator": 5,
    "DIRECT DRIVE monitor": 6,
}


def indent(line):
    return len(line) - len(line.lstrip(" "))


class Reader:
    """Goes through edid-decode's text once, keeping track of the block and data block."""

    def __init__(self):
        self.out = []
        self.vics = []
        self.speakers = []
        self.colorimetry = []
        self.block = -1
        self.kind = ""  # the extension block's kind, from its "Block N, ..." line
        self.section = None  # the data block a line belongs to (an indent-2 line ending in ":")
        self.subsection = None  # and the indent-4 heading within it
        self.dynamic_type = None

    def add(self, text):
        self.out.append(text)

    def line(self, line):
        stripped = line.strip()
        m = re.match(r"Block (\d+), (.*):$", line)
        if m:
            self.block = int(m.group(1))
            self.kind = m.group(2)
            self.section = self.subsection = None
            return
        if indent(line) == 2 and stripped.endswith(":"):
            self.section = stripped
            self.subsection = None
        elif indent(line) <= 2 and stripped:
            self.section = self.subsection = None
        elif indent(line) == 4 and stripped.endswith(":"):
            self.subsection = stripped
        elif indent(line) == 4:
            self.subsection = None
        self.base(stripped)
        self.cta(line, stripped)
        self.displayid(stripped)
        m = re.match(r"Checksum: 0x[0-9a-f]{2}( \(should be)?", line)
        if m:
            self.add("checksum %d %s" % (self.block, "bad" if m.group(1) else "good"))

    def base(self, stripped):
        m = re.match(r"Manufacturer: (\S+)", stripped)
        if m and self.block == 0:
            self.add("manufacturer " + m.group(1))
        m = re.match(r"Model: (\d+)", stripped)
        if m and self.block == 0:
            self.add("product " + m.group(1))
        m = re.match(r"DTD\s+\d+:\s+(\d+)x(\d+)(i?)\s+([\d.]+) Hz", stripped)
        if m:
            self.add("timing %sx%s%s %.3f" % (m.group(1), m.group(2), m.group(3),
                                             float(m.group(4))))

    def cta(self, line, stripped):
        section = self.section or ""
        if section == "Video Data Block:":
            m = re.match(r"VIC\s+(\d+):", stripped)
            if m:
                self.vics.append(m.group(1))
        if section == "Speaker Allocation Data Block:" and indent(line) == 4:
            self.speakers.append(stripped.split(" - ")[0])
        if section == "Colorimetry Data Block:" and indent(line) == 4:
            self.colorimetry.append(COLORIMETRY_NAMES.get(stripped, stripped))
        if section.startswith("Vendor-Specific Data Block (HDMI), "):
            self.hdmi(line, stripped)
        if section.startswith("Vendor-Specific Data Block (HDMI Forum)") or section.startswith(
                "HDMI Forum Sink Capability Data Block"):
            self.forum(stripped)
        if section == "HDR Static Metadata Data Block:":
            if stripped in EOTF_NAMES:
                self.add("eotf " + EOTF_NAMES[stripped])
            m = re.match(r"Static metadata type (\d+)", stripped)
            if m:
                self.add("hdr-static-type " + m.group(1))
            m = re.match(r"(.*): \d+ \(([\d.]+) cd/m\^2\)", stripped)
            if m and m.group(1) in LUMINANCE:
                self.add("luminance %s %s" % (LUMINANCE[m.group(1)], m.group(2)))
        if section == "HDR Dynamic Metadata Data Block:":
            m = re.match(r"HDR Dynamic Metadata Type (\d+)$", stripped)
            if m:
                self.dynamic_type = len(self.out)
                self.add("hdr-dynamic " + m.group(1))
            m = re.match(r"Version: (\d+)$", stripped)
            if m and self.dynamic_type is not None:
                self.out[self.dynamic_type] += " " + m.group(1)

    def hdmi(self, line, stripped):
        m = re.match(r"Source physical address: (\S+)", stripped)
        if m:
            self.add("physical-address " + m.group(1))
        if self.subsection == "Supported Content Types:" and indent(line) == 6:
            self.add("content-type " + stripped.lower())
        m = re.match(r"(.*latency): (.*)", stripped)
        if m and m.group(1) in LATENCIES:
            value = m.group(2)
            value = ("unknown" if value == "Unknown" else "none" if "not supported" in value
                     else value.replace(" ms", ""))
            self.add("latency %s %s" % (LATENCIES[m.group(1)], value))
        m = re.match(r"HDMI VIC (\d+):", stripped)
        if m:
            self.add("hdmi-vic " + m.group(1))
        if stripped in IMAGE_SIZES:
            self.add("image-size " + IMAGE_SIZES[stripped])
        if stripped == "3D present":
            self.add("3d-mandatory")
        if stripped == "All advertised VICs are 3D-capable":
            self.add("3d-all-vics")
        m = re.match(r"3D: (.*)", stripped)
        if m:
            self.add("3d-structure " + STRUCTURES_3D.get(m.group(1), m.group(1)))
        if stripped.startswith("3D VIC indices"):
            self.vic_list = stripped
        m = re.match(r"VIC\s+(\d+):.*?(?:\((.*)\))?$", stripped)
        if m and indent(line) == 8 and getattr(self, "vic_list", "").startswith(
                "3D VIC indices that support"):
            self.add("3d-mask-vic " + m.group(1))
        if m and indent(line) == 8 and getattr(self, "vic_list", "").startswith(
                "3D VIC indices with specific"):
            structure = (m.group(2) or "").split(", ")[0]
            self.add("3d-vic %s %s" % (m.group(1), VIC_STRUCTURES_3D.get(structure, structure)))

    def forum(self, stripped):
        m = re.match(r"Maximum TMDS Character Rate: (\d+) MHz", stripped)
        if m:
            self.add("hf-max-tmds " + m.group(1))
        if stripped == "Supports Auto Low-Latency Mode":
            self.add("allm")
        m = re.match(r"VRR(min|max): (\d+) Hz", stripped)
        if m:
            self.add("vrr-%s %s" % (m.group(1), m.group(2)))
        if stripped == "Supports Compressed Video Transport for 4:2:0 Pixel Encoding":
            self.add("dsc-native-420")
        if stripped == "Supports Compressed Video Transport at any valid 1/16th bit bpp":
            self.add("dsc-all-bpp")
        m = re.match(r"Supports (\d+) bpc Compressed Video Transport", stripped)
        if m:
            self.add("dsc-bpc " + m.group(1))
        m = re.match(r"DSC Max Slices: up to (\d+) slices? and up to \((\d+) MHz", stripped)
        if m:
            self.add("dsc-max-slices %s %s" % (m.group(1), m.group(2)))
        m = re.match(r"Maximum number of bytes in a line of chunks: (\d+)", stripped)
        if m:
            self.add("dsc-chunk-bytes " + m.group(1))

    def displayid(self, stripped):
        if not self.kind.startswith("DisplayID"):
            return
        m = re.match(r"Version: (\d+\.\d+)$", stripped)
        if m and self.section is None:
            self.add("displayid %d %s" % (self.block, m.group(1)))
        m = re.match(r"Display Product Type: (.*)", stripped)
        if m:
            self.add("displayid-product %d %d" % (self.block, DISPLAYID_PRODUCTS[m.group(1)]))
        m = re.match(r"DTD:\s+(\d+)x(\d+)(i?)\s+([\d.]+) Hz", stripped)
        if m:
            self.add("displayid-timing %sx%s%s %.3f" % (m.group(1), m.group(2), m.group(3),
                                                       float(m.group(4))))

    def result(self):
        out = list(self.out)
        # Lists gathered over a block become one line, in the place the test expects.
        if self.speakers:
            out.append("speakers " + " ".join(self.speakers))
        if self.colorimetry:
            out.append("colorimetry " + " ".join(self.colorimetry))
        if self.vics:
            out.insert(2, "vics " + " ".join(self.vics))
        return out


def golden(text):
    reader = Reader()
    for line in text.splitlines():
        reader.line(line)
    return reader.result()


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
