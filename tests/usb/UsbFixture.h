// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the tests of the libusb backend share: an emulated bus with boxes on it, the backend under
// test with the program's device link on top, and the one-box set-up most tests start from.

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "link/usb/LibUsbBackend.h"
#include "tests/usb/EmulatedBox.h"

#include <QStringList>
#include <umockdev.h>

#include <dlfcn.h>
#include <memory>
#include <vector>

class RecordedWarnings final : public DeviceWarnings
{
public:
    void deviceWarning(const QString &text) override { texts << text; }
    QStringList texts;
};

// Every look at the clock moves it on, so that DeviceLink's four-second reply wait ends after a
// few queue checks instead of four real seconds.
class SteppingClock final : public Clock
{
public:
    quint32 tickMs() override { return m_now += 500; }
    void sleepMs(quint32 ms) override { m_now += ms; }

private:
    quint32 m_now = 0;
};

// One emulated bus per test; the boxes go before the testbed, and every backend must be gone
// before the bus (declare it after the bus).
struct Bus
{
    UMockdevTestbed *testbed = umockdev_testbed_new();
    std::vector<std::unique_ptr<EmulatedBox>> boxes;

    EmulatedBox &add(const EmulatedBox::Descriptor &d = {})
    {
        boxes.push_back(std::make_unique<EmulatedBox>(testbed, d));
        return *boxes.back();
    }
    ~Bus()
    {
        boxes.clear();
        g_object_unref(testbed);
    }
};

const quint8 kStatusRead[] = { FRAME_READ, STATUS_LEN, CODE_STATUS };

using Request = EmulatedBox::ControlRequest;

// The backend under test with the program's device link on top of it. Declare it after the Bus.
struct LinkedBackend
{
    explicit LinkedBackend(UsbSettings settings = UsbSettings())
        : usb(std::move(settings))
    {
    }
    LibUsbBackend usb;
    SteppingClock clock;
    RecordedWarnings warnings;
    DeviceLink link { usb, clock, warnings };
    quint32 index = 99;

    bool find() { return link.findDevice(DeviceLink::DEVICE_SERIAL, index); }
    bool findAndOpen() { return find() && link.open(index); }
};

// Lists the devices and opens the first one directly, below the device link.
inline UsbHandle openFirst(LibUsbBackend &usb)
{
    quint32 count = 0;
    UsbHandle h = kClosedHandle;
    if (usb.getNumDevices(&count) != UsbStatus::Success || usb.open(0, &h) != UsbStatus::Success)
        return kClosedHandle;
    return h;
}

// One box alone on an emulated bus, and the backend under test with the device link on top: where
// most tests start. The backend goes before the bus, as it must.
struct OneBox
{
    explicit OneBox(UsbSettings settings = UsbSettings(), const EmulatedBox::Descriptor &d = {})
        : device(bus.add(d))
        , linked(std::move(settings))
    {
    }

    // What a test works with, for a structured binding; `h` is kClosedHandle if the open failed.
    struct Opened
    {
        EmulatedBox &device;
        LibUsbBackend &usb;
        DeviceLink &link;
        RecordedWarnings &warnings;
        UsbHandle h;
    };
    // Opened below the device link, calling the backend as the vendor library is called.
    Opened openDirectly() { return opened(openFirst(linked.usb)); }
    // Found by its serial number and opened through the link, as the program does.
    Opened openThroughTheLink()
    {
        return opened(linked.findAndOpen() ? linked.link.deviceHandle() : kClosedHandle);
    }

    Bus bus;
    EmulatedBox &device;
    LinkedBackend linked;

private:
    Opened opened(UsbHandle h) { return { device, linked.usb, linked.link, linked.warnings, h }; }
};

// Run by hand without umockdev's preload library, the emulated-bus tests are skipped (false);
// asked for, as CTest does, but missing, that is a broken set-up (`error`), not a reason to pass
// quietly.
inline bool emulatedBusReady(QString *error)
{
    if (!qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("libumockdev-preload")))
        return false;
    if (dlopen("libumockdev-preload.so.0", RTLD_LAZY | RTLD_NOLOAD))
        return true;
    *error = QStringLiteral("LD_PRELOAD names libumockdev-preload.so.0 but it is not loaded: is "
                            "the Debian package umockdev installed?");
    return false;
}

#define REQUIRE_EMULATED_BUS()                                                                     \
    if (!m_emulated)                                                                               \
    QSKIP("needs LD_PRELOAD=libumockdev-preload.so.0 (ctest sets it; or run under "                \
          "umockdev-wrapper)")
