// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/UsbDescriptors.h"

#include <libusb.h>

#include <algorithm>

namespace UsbDescriptors {

QByteArray hex(unsigned value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

QByteArray deviceName(libusb_device *device)
{
    libusb_device_descriptor desc {};
    libusb_get_device_descriptor(device, &desc);
    return hex(desc.idVendor, 4) + ':' + hex(desc.idProduct, 4) + " (bus "
        + QByteArray::number(libusb_get_bus_number(device)).rightJustified(3, '0') + ", address "
        + QByteArray::number(libusb_get_device_address(device)).rightJustified(3, '0') + ')';
}

bool findEndpoints(libusb_device *device, Endpoints &found)
{
    libusb_config_descriptor *config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS)
        return false;
    bool ok = false;
    for (int i = 0; i < config->bNumInterfaces && !ok; ++i) {
        if (config->interface[i].num_altsetting < 1)
            continue;
        const libusb_interface_descriptor &alt = config->interface[i].altsetting[0];
        unsigned char in = 0, out = 0;
        int packet = 0, outPacket = 0;
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor &ep = alt.endpoint[e];
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_ENDPOINT_TRANSFER_TYPE_BULK)
                continue;
            if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                if (!in) {
                    in = ep.bEndpointAddress;
                    packet = ep.wMaxPacketSize & 0x7FF;
                }
            } else if (!out) {
                out = ep.bEndpointAddress;
                outPacket = ep.wMaxPacketSize & 0x7FF;
            }
        }
        if (in && out) {
            found = Endpoints { alt.bInterfaceNumber, in, out, packet > 0 ? packet : 64,
                outPacket > 0 ? outPacket : 64 };
            ok = true;
        }
    }
    libusb_free_config_descriptor(config);
    return ok;
}

std::vector<uint8_t> portPath(libusb_device *device)
{
    uint8_t ports[8] = {};
    const int n = libusb_get_port_numbers(device, ports, int(sizeof ports));
    return std::vector<uint8_t>(ports, ports + std::max(n, 0));
}

} // namespace UsbDescriptors
