// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <atomic>

// Makes the emulated device nodes poll the way usbfs nodes do. Under umockdev a node is a plain
// file whose ioctls are answered elsewhere, and a plain file is always ready: libusb's event
// handling would never sleep, and a wait that should block would spin. While a node is
// registered here, polling a descriptor of it reports what the kernel reports instead: writable
// (POLLOUT) while a completed URB waits to be reaped, error and hang-up once the device is gone.
// This file defines poll() for the whole program, so libusb's calls come here; descriptors of
// anything else are passed through untouched.
class UsbfsPoll
{
public:
    // `file` is the node's file in the testbed. `readyFd` is readable while URBs wait to be
    // reaped or the device is gone; `gone` tells which. Both must outlive the registration.
    static void add(const QByteArray &file, int readyFd, const std::atomic<bool> *gone);
    static void remove(const QByteArray &file);
};
