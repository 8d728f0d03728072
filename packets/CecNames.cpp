// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "packets/CecNames.h"

#include "edid/HexText.h"

namespace {

struct Opcode
{
    quint8 code;
    quint8 minOperands, maxOperands;
    const char *name;
};

// Vendor commands and the timer and service messages carry variable operands; 14 is the most
// a 16-byte frame can hold after the header and opcode.
const Opcode kOpcodes[] = {
    { 0x00, 2, 2, "Feature Abort" },
    { 0x04, 0, 0, "Image View On" },
    { 0x05, 0, 0, "Tuner Step Increment" },
    { 0x06, 0, 0, "Tuner Step Decrement" },
    { 0x07, 5, 14, "Tuner Device Status" },
    { 0x08, 1, 1, "Give Tuner Device Status" },
    { 0x09, 1, 14, "Record On" },
    { 0x0A, 1, 1, "Record Status" },
    { 0x0B, 0, 0, "Record Off" },
    { 0x0D, 0, 0, "Text View On" },
    { 0x0F, 0, 0, "Record TV Screen" },
    { 0x1A, 1, 1, "Give Deck Status" },
    { 0x1B, 1, 1, "Deck Status" },
    { 0x32, 3, 3, "Set Menu Language" },
    { 0x33, 11, 11, "Clear Analogue Timer" },
    { 0x34, 11, 11, "Set Analogue Timer" },
    { 0x35, 1, 3, "Timer Status" },
    { 0x36, 0, 0, "Standby" },
    { 0x41, 1, 1, "Play" },
    { 0x42, 1, 1, "Deck Control" },
    { 0x43, 1, 1, "Timer Cleared Status" },
    { 0x44, 1, 14, "User Control Pressed" },
    { 0x45, 0, 0, "User Control Released" },
    { 0x46, 0, 0, "Give OSD Name" },
    { 0x47, 1, 14, "Set OSD Name" },
    { 0x64, 2, 14, "Set OSD String" },
    { 0x67, 1, 14, "Set Timer Program Title" },
    { 0x70, 0, 2, "System Audio Mode Request" },
    { 0x71, 0, 0, "Give Audio Status" },
    { 0x72, 1, 1, "Set System Audio Mode" },
    { 0x7A, 1, 1, "Report Audio Status" },
    { 0x7D, 0, 0, "Give System Audio Mode Status" },
    { 0x7E, 1, 1, "System Audio Mode Status" },
    { 0x80, 4, 4, "Routing Change" },
    { 0x81, 2, 2, "Routing Information" },
    { 0x82, 2, 2, "Active Source" },
    { 0x83, 0, 0, "Give Physical Address" },
    { 0x84, 3, 3, "Report Physical Address" },
    { 0x85, 0, 0, "Request Active Source" },
    { 0x86, 2, 2, "Set Stream Path" },
    { 0x87, 3, 3, "Device Vendor ID" },
    { 0x89, 0, 14, "Vendor Command" },
    { 0x8A, 0, 14, "Vendor Remote Button Down" },
    { 0x8B, 0, 14, "Vendor Remote Button Up" },
    { 0x8C, 0, 0, "Give Device Vendor ID" },
    { 0x8D, 1, 1, "Menu Request" },
    { 0x8E, 1, 1, "Menu Status" },
    { 0x8F, 0, 0, "Give Device Power Status" },
    { 0x90, 1, 1, "Report Power Status" },
    { 0x91, 0, 0, "Get Menu Language" },
    { 0x92, 4, 4, "Select Analogue Service" },
    { 0x93, 7, 7, "Select Digital Service" },
    { 0x97, 14, 14, "Set Digital Timer" },
    { 0x99, 14, 14, "Clear Digital Timer" },
    { 0x9A, 1, 1, "Set Audio Rate" },
    { 0x9D, 2, 2, "Inactive Source" },
    { 0x9E, 1, 1, "CEC Version" },
    { 0x9F, 0, 0, "Get CEC Version" },
    { 0xA0, 3, 14, "Vendor Command With ID" },
    { 0xA1, 9, 10, "Clear External Timer" },
    { 0xA2, 9, 10, "Set External Timer" },
    { 0xA3, 3, 12, "Report Short Audio Descriptor" },
    { 0xA4, 1, 4, "Request Short Audio Descriptor" },
    { 0xA5, 0, 0, "Give Features" },
    { 0xA6, 4, 14, "Report Features" },
    { 0xA7, 2, 2, "Request Current Latency" },
    { 0xA8, 4, 5, "Report Current Latency" },
    { 0xC0, 0, 0, "Initiate ARC" },
    { 0xC1, 0, 0, "Report ARC Initiated" },
    { 0xC2, 0, 0, "Report ARC Terminated" },
    { 0xC3, 0, 0, "Request ARC Initiation" },
    { 0xC4, 0, 0, "Request ARC Termination" },
    { 0xC5, 0, 0, "Terminate ARC" },
    { 0xF8, 0, 14, "CDC Message" },
    { 0xFF, 0, 0, "Abort" },
};

const Opcode *findOpcode(int code)
{
    for (const Opcode &o : kOpcodes)
        if (o.code == code)
            return &o;
    return nullptr;
}

const char *const kAddresses[15] = { "TV", "Recording 1", "Recording 2", "Tuner 1", "Playback 1",
    "Audio System", "Tuner 2", "Tuner 3", "Playback 2", "Recording 3", "Tuner 4", "Playback 3",
    "Backup 1", "Backup 2", "Specific Use" };

struct Named
{
    quint8 code;
    const char *name;
};

const Named kUserControls[] = { { 0x00, "Select" }, { 0x01, "Up" }, { 0x02, "Down" },
    { 0x03, "Left" }, { 0x04, "Right" }, { 0x05, "Right-Up" }, { 0x06, "Right-Down" },
    { 0x07, "Left-Up" }, { 0x08, "Left-Down" }, { 0x09, "Root Menu" }, { 0x0A, "Setup Menu" },
    { 0x0B, "Contents Menu" }, { 0x0C, "Favorite Menu" }, { 0x0D, "Exit" },
    { 0x10, "Media Top Menu" }, { 0x11, "Media Context-sensitive Menu" },
    { 0x1D, "Number Entry Mode" }, { 0x1E, "Number 11" }, { 0x1F, "Number 12" }, { 0x2A, "Dot" },
    { 0x2B, "Enter" }, { 0x2C, "Clear" }, { 0x2F, "Next Favorite" }, { 0x30, "Channel Up" },
    { 0x31, "Channel Down" }, { 0x32, "Previous Channel" }, { 0x33, "Sound Select" },
    { 0x34, "Input Select" }, { 0x35, "Display Information" }, { 0x36, "Help" },
    { 0x37, "Page Up" }, { 0x38, "Page Down" }, { 0x40, "Power" }, { 0x41, "Volume Up" },
    { 0x42, "Volume Down" }, { 0x43, "Mute" }, { 0x44, "Play" }, { 0x45, "Stop" },
    { 0x46, "Pause" }, { 0x47, "Record" }, { 0x48, "Rewind" }, { 0x49, "Fast Forward" },
    { 0x4A, "Eject" }, { 0x4B, "Forward" }, { 0x4C, "Backward" }, { 0x4D, "Stop-Record" },
    { 0x4E, "Pause-Record" }, { 0x50, "Angle" }, { 0x51, "Sub Picture" },
    { 0x52, "Video on Demand" }, { 0x53, "Electronic Program Guide" },
    { 0x54, "Timer Programming" }, { 0x55, "Initial Configuration" },
    { 0x56, "Select Broadcast Type" }, { 0x57, "Select Sound Presentation" },
    { 0x58, "Audio Description" }, { 0x59, "Internet" }, { 0x5A, "3D Mode" },
    { 0x60, "Play Function" }, { 0x61, "Pause-Play Function" }, { 0x62, "Record Function" },
    { 0x63, "Pause-Record Function" }, { 0x64, "Stop Function" }, { 0x65, "Mute Function" },
    { 0x66, "Restore Volume Function" }, { 0x67, "Tune Function" },
    { 0x68, "Select Media Function" }, { 0x69, "Select A/V Input Function" },
    { 0x6A, "Select Audio Input Function" }, { 0x6B, "Power Toggle Function" },
    { 0x6C, "Power Off Function" }, { 0x6D, "Power On Function" }, { 0x71, "F1 (Blue)" },
    { 0x72, "F2 (Red)" }, { 0x73, "F3 (Green)" }, { 0x74, "F4 (Yellow)" }, { 0x75, "F5" },
    { 0x76, "Data" } };

QString pick(const char *const *names, int count, int value)
{
    if (value >= 0 && value < count)
        return QString::fromLatin1(names[value]);
    return QStringLiteral("reserved (%1)").arg(HexText::byte(value));
}

} // namespace

QString CecNames::logicalAddress(int address, bool asDestination)
{
    if (address == 15)
        return asDestination ? QStringLiteral("Broadcast") : QStringLiteral("Unregistered");
    return pick(kAddresses, 15, address);
}

QString CecNames::opcode(int code)
{
    const Opcode *o = findOpcode(code);
    return o ? QString::fromLatin1(o->name) : QString();
}

bool CecNames::operandRange(int code, int &minimum, int &maximum)
{
    const Opcode *o = findOpcode(code);
    if (!o)
        return false;
    minimum = o->minOperands;
    maximum = o->maxOperands;
    return true;
}

QString CecNames::userControl(int code)
{
    if (code >= 0x20 && code <= 0x29)
        return QStringLiteral("Number %1").arg(code - 0x20);
    for (const Named &n : kUserControls)
        if (n.code == code)
            return QString::fromLatin1(n.name);
    return QStringLiteral("reserved (%1)").arg(HexText::byte(code));
}

QString CecNames::powerStatus(int status)
{
    static const char *const names[4]
        = { "On", "Standby", "In transition Standby to On", "In transition On to Standby" };
    return pick(names, 4, status);
}

QString CecNames::cecVersion(int version)
{
    static const char *const names[7] = { "1.1", "1.2", "1.2a", "1.3", "1.3a", "1.4", "2.0" };
    return pick(names, 7, version);
}

QString CecNames::deviceType(int type)
{
    static const char *const names[8] = { "TV", "Recording Device", "Reserved", "Tuner",
        "Playback Device", "Audio System", "Pure CEC Switch", "Video Processor" };
    return pick(names, 8, type);
}

QString CecNames::abortReason(int reason)
{
    static const char *const names[6] = { "Unrecognized opcode", "Not in correct mode to respond",
        "Cannot provide source", "Invalid operand", "Refused", "Unable to determine" };
    return pick(names, 6, reason);
}
