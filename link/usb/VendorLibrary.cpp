// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/usb/VendorLibrary.h"

#include <windows.h>

// The library's functions as it exports them: WINAPI (__stdcall on 32-bit Windows), DWORD
// arguments and an int status.
struct VendorLibrary::Api
{
    using GetNumDevices = int(WINAPI *)(DWORD *);
    using GetProductString = int(WINAPI *)(DWORD, void *, DWORD);
    using Open = int(WINAPI *)(DWORD, HANDLE *);
    using Close = int(WINAPI *)(HANDLE);
    using Read = int(WINAPI *)(HANDLE, void *, DWORD, DWORD *, OVERLAPPED *);
    using Write = int(WINAPI *)(HANDLE, void *, DWORD, DWORD *, OVERLAPPED *);
    using GetTimeouts = int(WINAPI *)(DWORD *, DWORD *);
    using SetTimeouts = int(WINAPI *)(DWORD, DWORD);
    using FlushBuffers = int(WINAPI *)(HANDLE, BYTE, BYTE);
    using CheckRxQueue = int(WINAPI *)(HANDLE, DWORD *, DWORD *);

    HMODULE module = nullptr;
    GetNumDevices getNumDevices = nullptr;
    GetProductString getProductString = nullptr;
    Open open = nullptr;
    Close close = nullptr;
    Read read = nullptr;
    Write write = nullptr;
    GetTimeouts getTimeouts = nullptr;
    SetTimeouts setTimeouts = nullptr;
    FlushBuffers flushBuffers = nullptr;
    CheckRxQueue checkRxQueue = nullptr;

    template <typename F> bool resolve(F &f, const char *name)
    {
        f = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)));
        return f != nullptr;
    }
};

static_assert(sizeof(DWORD) == sizeof(quint32), "the library's DWORD is our quint32");

namespace {
HANDLE toHandle(UsbHandle h)
{
    return reinterpret_cast<HANDLE>(h);
}
} // namespace

VendorLibrary::VendorLibrary()
    : m_api(std::make_unique<Api>())
{
    m_api->module = LoadLibraryW(L"SiUSBXp.dll");
    if (!m_api->module)
        return;
    Api &a = *m_api;
    const bool complete = a.resolve(a.getNumDevices, "SI_GetNumDevices")
        && a.resolve(a.getProductString, "SI_GetProductString") && a.resolve(a.open, "SI_Open")
        && a.resolve(a.close, "SI_Close") && a.resolve(a.read, "SI_Read")
        && a.resolve(a.write, "SI_Write") && a.resolve(a.getTimeouts, "SI_GetTimeouts")
        && a.resolve(a.setTimeouts, "SI_SetTimeouts")
        && a.resolve(a.flushBuffers, "SI_FlushBuffers")
        && a.resolve(a.checkRxQueue, "SI_CheckRXQueue");
    if (!complete) {
        FreeLibrary(a.module);
        m_api = std::make_unique<Api>(); // all or nothing
    }
}

VendorLibrary::~VendorLibrary()
{
    if (m_api->module)
        FreeLibrary(m_api->module);
}

bool VendorLibrary::isLoaded() const
{
    return m_api->module != nullptr;
}

quint32 VendorLibrary::getNumDevices(quint32 *count)
{
    if (!isLoaded()) {
        *count = 0;
        return UsbStatus::DeviceNotFound;
    }
    DWORD n = 0;
    const int status = m_api->getNumDevices(&n);
    *count = n;
    return quint32(status);
}

quint32 VendorLibrary::getProductString(quint32 index, char *buffer, quint32 kind)
{
    buffer[0] = '\0';
    if (!isLoaded())
        return UsbStatus::DeviceNotFound;
    return quint32(m_api->getProductString(index, buffer, kind));
}

quint32 VendorLibrary::open(quint32 index, UsbHandle *handle)
{
    if (!isLoaded())
        return UsbStatus::DeviceNotFound;
    HANDLE h = INVALID_HANDLE_VALUE;
    const int status = m_api->open(index, &h);
    *handle = reinterpret_cast<UsbHandle>(h);
    return quint32(status);
}

quint32 VendorLibrary::close(UsbHandle handle)
{
    return isLoaded() ? quint32(m_api->close(toHandle(handle))) : UsbStatus::InvalidHandle;
}

quint32 VendorLibrary::read(UsbHandle handle, quint8 *buffer, quint32 wanted, quint32 *got)
{
    *got = 0;
    if (!isLoaded())
        return UsbStatus::InvalidHandle;
    DWORD n = 0;
    const int status = m_api->read(toHandle(handle), buffer, wanted, &n, nullptr);
    *got = n;
    return quint32(status);
}

quint32 VendorLibrary::write(
    UsbHandle handle, const quint8 *buffer, quint32 length, quint32 *written)
{
    *written = 0;
    if (!isLoaded())
        return UsbStatus::InvalidHandle;
    DWORD n = 0;
    // The library's prototype is not const-correct; it only reads the buffer.
    const int status
        = m_api->write(toHandle(handle), const_cast<quint8 *>(buffer), length, &n, nullptr);
    *written = n;
    return quint32(status);
}

quint32 VendorLibrary::getTimeouts(quint32 *readMs, quint32 *writeMs)
{
    if (!isLoaded())
        return UsbStatus::DeviceNotFound;
    DWORD r = 0, w = 0;
    const int status = m_api->getTimeouts(&r, &w);
    *readMs = r;
    *writeMs = w;
    return quint32(status);
}

quint32 VendorLibrary::setTimeouts(quint32 readMs, quint32 writeMs)
{
    return isLoaded() ? quint32(m_api->setTimeouts(readMs, writeMs)) : UsbStatus::DeviceNotFound;
}

quint32 VendorLibrary::flushBuffers(UsbHandle handle, quint8 flushTransmit, quint8 flushReceive)
{
    return isLoaded() ? quint32(m_api->flushBuffers(toHandle(handle), flushTransmit, flushReceive))
                      : UsbStatus::InvalidHandle;
}

quint32 VendorLibrary::checkRxQueue(UsbHandle handle, quint32 *bytesInQueue, quint32 *queueStatus)
{
    *bytesInQueue = 0;
    if (!isLoaded())
        return UsbStatus::InvalidHandle;
    DWORD n = 0, s = 0;
    const int status = m_api->checkRxQueue(toHandle(handle), &n, &s);
    *bytesInQueue = n;
    if (queueStatus)
        *queueStatus = s;
    return quint32(status);
}
