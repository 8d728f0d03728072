// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

struct libusb_device;

// What the libusb backend reads of a device without opening it: its name for messages and
// traces, its place on the bus, and the bulk endpoints the box talks through.
namespace UsbDescriptors {

struct Endpoints
{
    int interfaceNumber = 0;
    unsigned char in = 0;
    unsigned char out = 0;
    int packetSize = 64; // of the IN endpoint
    int outPacketSize = 64;
};

// Upper-case hexadecimal, `digits` wide.
QByteArray hex(unsigned value, int digits);

// "10C4:EA61 (bus 001, address 004)".
QByteArray deviceName(libusb_device *device);

// The first interface with a bulk IN and a bulk OUT endpoint. The addresses differ between the
// chips that run this firmware, so they are never assumed.
bool findEndpoints(libusb_device *device, Endpoints &found);

// The ports from the root hub down, for an order of devices that stays put.
std::vector<uint8_t> portPath(libusb_device *device);

} // namespace UsbDescriptors
