// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Help.h"

#include "protocol/SettingsTable.h"

#include <QStringList>

namespace Help {

QString general()
{
    return QStringLiteral(
        "Usage: zelvarinctl [OPTIONS] COMMAND [ARGUMENTS]\n"
        "\n"
        "Configures the ZELVARIN 4K HDMI matrix box over USB, from scripts and terminals.\n"
        "\n"
        "Options (before or after the command):\n"
        "  --simulate[=PRESET]   talk to the built-in simulated box instead of USB; it starts\n"
        "                        with the settings of PRESET (a file of 'settings save') if given\n"
        "  --trace[=FILE]        log every request and reply to FILE (standard error with a\n"
        "                        bare --trace), in the window's format\n"
        "  --usb-id VID:PID      also look for the box at this USB vendor:product (hex;\n"
        "                        repeatable; 10c4:ea61 is always looked at)\n"
        "  --usb-option NAME=VALUE  change a USB request value or switch (repeatable;\n"
        "                        the names are in zelvarin(1))\n"
        "  --serial SERIAL       use the box with this serial number (default: the first box)\n"
        "  --json                machine-readable output on standard output: one JSON object\n"
        "                        whose first key is \"format_version\" (now 2); the schema of\n"
        "                        each is in /usr/share/zelvarin/schema/\n"
        "  --direct              open the box itself even when the service zelvarind runs\n"
        "  -h, --help            this text; 'zelvarinctl help COMMAND' explains a command\n"
        "  -v, --version         the program's version\n"
        "\n"
        "Commands:\n"
        "  status                firmware, every setting and the incoming signal\n"
        "  get NAME...           the value of settings\n"
        "  set NAME=VALUE...     change settings, in order, stopping at the first failure\n"
        "  settings save FILE    every setting to a preset file\n"
        "  settings load FILE    a preset file's settings to the box\n"
        "  edid read|write|check|fix  EDID tables of the box and the TVs\n"
        "  edid decode FILE|-... what EDID tables say (no box needed)\n"
        "  edid edit FILE|- EDIT...  change a table by what it means (no box needed)\n"
        "  cec send|store        HDMI-CEC commands\n"
        "  cec decode HEX        what a CEC message says (no box needed)\n"
        "  infoframe hdr|avi     inject HDR and AVI InfoFrames\n"
        "  infoframe decode HEX  what an HDR or AVI InfoFrame says (no box needed)\n"
        "  reset settings|edid|all --yes  factory reset\n"
        "  list                  the boxes on the USB bus\n"
        "  watch                 print the status whenever it changes\n"
        "  help COMMAND [SUBCOMMAND]  explain a command\n"
        "\n"
        "Exit status: 0 success; 1 the box failed or was not found; 2 usage error;\n"
        "3 bad data (hex that does not parse, a wrong length, an unreadable, invalid or too\n"
        "large file, output that could not be written). Ctrl+C or SIGTERM during 'edid write'\n"
        "stops it between two chunks, without the commit, and the program ends by the signal.\n"
        "Every message goes to standard error as one line starting with 'zelvarinctl:'.\n");
}

namespace {

QString settingsTable()
{
    QString text;
    for (const Settings::Setting &s : Settings::all()) {
        text += QStringLiteral("  %1%2\n      %3\n")
                    .arg(QString::fromLatin1(s.name).leftJustified(20))
                    .arg(Settings::valueNames(s))
                    .arg(QLatin1String(s.summary));
    }
    return text;
}

} // namespace

QString command(const QString &name)
{
    if (name == QLatin1String("status"))
        return QStringLiteral(
            "Usage: zelvarinctl [--json] status\n\n"
            "Reads the firmware version, the status block and the signal blocks, and prints the\n"
            "firmware version, whether the box is busy, every setting by name with its value, and\n"
            "the incoming signal: source, video timing, colour, HDR and the captured HDR\n"
            "InfoFrame in hex, then decoded (EOTF, mastering display, luminances) on the lines\n"
            "'signal hdr-infoframe decoded'. A value the box reports but no command writes\n"
            "(audio source 2, HDCP 1) is shown as its number.\n\n"
            "With --json: an object with the keys format_version, firmware (dotted four-part\n"
            "version), settings (all 25 by name, as typed on the command line), signal (source,\n"
            "video, colour, hdr, hdr_infoframe, hdr_infoframe_decoded: the object of\n"
            "'infoframe decode --json', or null when nothing was captured) and busy; its schema\n"
            "is status.json in /usr/share/zelvarin/schema/.\n");
    if (name == QLatin1String("get"))
        return QStringLiteral("Usage: zelvarinctl [--json] get NAME...\n\n"
                              "Prints the value of each setting named, one per line in the order "
                              "given (with --json: one object, name to value).\n\nSettings:\n")
            + settingsTable();
    if (name == QLatin1String("set"))
        return QStringLiteral(
                   "Usage: zelvarinctl set NAME=VALUE...\n\n"
                   "Writes each setting to the box with the register frame the window writes for "
                   "the\nsame choice, in the order given; the first failure ends the command. "
                   "Every\nassignment is checked before the first is written.\n\n"
                   "Example: zelvarinctl set input=port-b auto-switch=off\n\nSettings:\n")
            + settingsTable();
    if (name == QLatin1String("settings"))
        return QStringLiteral(
            "Usage: zelvarinctl settings save FILE\n"
            "       zelvarinctl settings load FILE\n\n"
            "save writes every setting by name to FILE, a small JSON preset that also holds the\n"
            "box's firmware version and the preset format version. load checks every name and\n"
            "value in FILE first and refuses the whole file at the first bad entry, saying which\n"
            "and why (exit status 3); then it writes the settings that differ from the box's.\n"
            "The window offers the same as File > Save Settings... and Load Settings...\n");
    if (name == QLatin1String("edid"))
        return QStringLiteral(
            "Usage: zelvarinctl edid read [box|tv-a|tv-b] [-o FILE]\n"
            "       zelvarinctl edid write [--fix-checksums] FILE\n"
            "       zelvarinctl edid check FILE\n"
            "       zelvarinctl edid fix FILE [-o OUT]\n"
            "       zelvarinctl [--json] edid decode FILE|-...\n"
            "       zelvarinctl [--json] edid edit FILE|- [-o OUT] [--dry-run] EDIT...\n\n"
            "read   reads the box's own EDID table (box, the default) or the one of the TV on\n"
            "       output A or B, as the window does. Without -o the table goes to standard\n"
            "       output as hex text; FILE ending in .bin gets the 256 raw bytes, any other\n"
            "       name hex text; a FILE that is no regular file (a device, a FIFO,\n"
            "       /dev/stdout) is written in place, a regular one replaced once complete.\n"
            "       Progress goes to standard error when it is a terminal.\n"
            "write  uploads a table (raw or hex text, as the window's Load reads it) chunk by\n"
            "       chunk and commits it. The box must be in custom EDID mode (edid-mode=custom,\n"
            "       custom-edid=custom). A table with a wrong checksum is refused unless\n"
            "       --fix-checksums, which uploads it with corrected checksums. The box's table\n"
            "       is 256 bytes: a longer one is refused (exit status 3). Ctrl+C stops the\n"
            "       upload before the commit: the box keeps its table. Progress as for read.\n"
            "check  reports the checksum of both 128-byte blocks; exit status 3 when one is\n"
            "       wrong.\n"
            "fix    the same, then writes the table with corrected checksums to OUT (.bin: raw)\n"
            "       or back to FILE in the form it came in.\n"
            "decode prints what the table in FILE (standard input for -) says: maker, product,\n"
            "       timings, CTA-861 blocks (VICs, audio, HDMI, DSC, 3D, HDR), DisplayID\n"
            "       timings, each block's checksum and the decoder's warnings; with --json one\n"
            "       object. FILE holds the raw table (any number of blocks) or its hex text in\n"
            "       any common layout. Several FILEs (- at most once) are decoded in one run,\n"
            "       each after a line \"==> FILE <==\", or with --json as one object per line\n"
            "       with its \"file\"; a file that cannot be read or holds no EDID table is\n"
            "       reported and the rest go on, and the exit status is 3 at the end. It needs\n"
            "       no box.\n"
            "edit   changes the table in FILE (standard input for -; raw or hex text, any number\n"
            "       of blocks) by what it means, one option per edit, applied in the order given,\n"
            "       and writes it to OUT (.bin: raw, otherwise hex text) or as hex text to\n"
            "       standard output. An edit changes what it names and keeps every other byte;\n"
            "       the checksum of each block it changed is made right. An edit that does not\n"
            "       fit is refused with the reason, nothing is written, and the exit status is 3.\n"
            "       With no edit the table is written unchanged. --dry-run writes nothing and\n"
            "       prints each edit, then the blocks it changed decoded before and after.\n"
            "       Then 'edid write OUT' uploads it.\n"
            "  --name TEXT              display name, 1 to 13 characters\n"
            "  --serial SERIAL          serial number (the text of the serial descriptor\n"
            "                           where the table has one, else a number)\n"
            "  --manufacturer ABC, --product CODE, --week WEEK, --year YEAR\n"
            "  --remove-vic VIC[,VIC...]  the YCbCr 4:2:0 map, the 4:2:0-only list, the HDMI\n"
            "                           VICs and 3D fields follow\n"
            "  --add-vic VIC[:POSITION][:native][:420]  (at the end without a position)\n"
            "  --move-vic VIC:POSITION  (1 is the first)\n"
            "  --native VIC, --clear-native VIC  (one native VIC; 1 to 64 only)\n"
            "  --remove-audio FORMAT[,FORMAT...]|all\n"
            "  --add-audio FORMAT:CHANNELS:RATES[:SIZES|KBITS]\n"
            "                           lpcm:2:32,44.1,48:16,20,24 or ac3:6:48:640; formats\n"
            "                           lpcm ac3 mpeg1 mp3 mpeg2 aac dts atrac dsd eac3 dtshd\n"
            "                           mat dst wma\n"
            "  --speakers SPEAKER[,...]  FL/FR LFE1 FC BL/BR BC FLc/FRc RLC/RRC FLw/FRw ...\n"
            "  --hdr-eotf EOTF[,...]    sdr hdr pq hlg; adds the HDR block where there is none\n"
            "  --hdr-luminance max=CDM2,avg=CDM2,min=CDM2  (any of them, in cd/m2)\n"
            "  --remove-hdr\n"
            "  --colorimetry [+|-]NAME[,...]  xvycc601 xvycc709 sycc601 opycc601 oprgb\n"
            "                           bt2020cycc bt2020ycc bt2020rgb ictcp dci-p3; a list\n"
            "                           without signs is the whole set\n"
            "  --ycbcr444 on|off, --ycbcr422 on|off\n"
            "  --physical-address A.B.C.D\n"
            "  --max-tmds MHZ           lowers the HDMI blocks' TMDS rates to MHZ (25 to 600)\n"
            "                           and takes FRL away\n"
            "  --remove-hdmi-forum\n"
            "  --remove-block KIND      video audio speakers hdmi hdmi-forum vendor:OUI\n"
            "                           video-capability colorimetry hdr-static hdr-dynamic\n"
            "                           ycbcr420-video ycbcr420-map extended:N tag:N\n"
            "  --dtd N=VIC              detailed timing N (as edid-decode numbers them) gets\n"
            "                           the timing of VIC\n");
    if (name == QLatin1String("cec"))
        return QStringLiteral(
            "Usage: zelvarinctl cec send HEX\n"
            "       zelvarinctl cec store 1|2 HEX\n"
            "       zelvarinctl [--json] cec decode HEX|-\n\n"
            "HEX is bytes of two hex digits joined by colons, such as 50:04 (turn the TV on).\n"
            "send loads the command and activates it, as the window's CEC send button: 2 to 31\n"
            "bytes. store keeps it in slot 1 or 2 of the box: 2 to 20 bytes.\n"
            "decode names the initiator, destination, opcode and operands of a message, such as\n"
            "40:04, \"Playback 1 to TV: Image View On\", without a box. Its HEX may also be\n"
            "separated by spaces or commas, or read from standard input with -; hex that does\n"
            "not parse exits with status 3.\n");
    if (name == QLatin1String("infoframe"))
        return QStringLiteral(
            "Usage: zelvarinctl infoframe hdr HEX [--activate]\n"
            "       zelvarinctl infoframe avi HEX [--replace]\n"
            "       zelvarinctl [--json] infoframe decode [--type hdr|avi] HEX|-\n\n"
            "hdr loads a custom HDR InfoFrame (2 to 31 bytes) and activates it, as the window's\n"
            "InfoFrame button; --activate then also sets force-hdr on, as ticking the window's\n"
            "force box does.\n"
            "avi loads a custom AVI InfoFrame (2 to 13 bytes), activates it once the box took\n"
            "it and writes replace-avi: on with --replace, off without, as the window does from\n"
            "its persistent box.\n"
            "decode prints what an HDR (Dynamic Range and Mastering) or AVI InfoFrame says,\n"
            "without a box. HEX is the whole frame (type, version, length, checksum, data), the\n"
            "frame as the box captures it (type, length, data, as in 87:1a:02:00:...) or the\n"
            "data alone, as the window's text boxes hold it. A frame is told by its type byte\n"
            "(82 or 87); data alone is taken for HDR when it starts with an EOTF (00 to 07) and\n"
            "is not 13 bytes long, else for AVI. --type hdr|avi says which frame the bytes are:\n"
            "then they are its data, unless they start with its type byte. Hex that does not\n"
            "parse exits with status 3.\n");
    if (name == QLatin1String("reset"))
        return QStringLiteral(
            "Usage: zelvarinctl reset settings|edid|all --yes\n\n"
            "Factory reset of the box's settings, its EDID table or both. It cannot be undone,\n"
            "so without --yes the command refuses (exit status 2) and the box is not touched.\n");
    if (name == QLatin1String("list"))
        return QStringLiteral(
            "Usage: zelvarinctl [--json] list\n\n"
            "Lists the devices on the USB bus: index, serial number, product string and the\n"
            "firmware version of those that can be opened ('-' otherwise). Use the serial with\n"
            "--serial to pick one box among several. With --json: an object whose key boxes\n"
            "holds one object per device (index, serial, product, firmware or null).\n");
    if (name == QLatin1String("watch"))
        return QStringLiteral(
            "Usage: zelvarinctl [--json] watch [--interval MS]\n\n"
            "Polls the box every 3000 ms (as the window does) or every MS milliseconds and\n"
            "prints a line whenever the status changes: the time and each value that changed\n"
            "(everything the first time), or with --json one status object per line with a\n"
            "\"time\" key (ISO 8601 with milliseconds and the offset from UTC). Ends on Ctrl+C\n"
            "or SIGTERM, with exit status 0.\n");
    if (name == QLatin1String("help"))
        return QStringLiteral("Usage: zelvarinctl help [COMMAND [SUBCOMMAND]]\n\n"
                              "Explains a command, as 'zelvarinctl COMMAND --help' does.\n");
    return QString();
}

} // namespace Help
