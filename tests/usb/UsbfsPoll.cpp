// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/usb/UsbfsPoll.h"

#include <dlfcn.h>
#include <poll.h>
#include <sys/stat.h>

#include <mutex>
#include <vector>

namespace {

struct Node
{
    QByteArray file;
    dev_t device;
    ino_t inode;
    int readyFd;
    const std::atomic<bool> *gone;
};

std::mutex registryMutex;
std::vector<Node> registry;
std::atomic<bool> anyRegistered { false };

using PollFunction = int (*)(pollfd *, nfds_t, int);

PollFunction realPoll()
{
    static const auto function = reinterpret_cast<PollFunction>(dlsym(RTLD_NEXT, "poll"));
    return function;
}

} // namespace

void UsbfsPoll::add(const QByteArray &file, int readyFd, const std::atomic<bool> *gone)
{
    struct stat st
    {
    };
    if (::stat(file.constData(), &st) != 0)
        return;
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.push_back({ file, st.st_dev, st.st_ino, readyFd, gone });
    anyRegistered = true;
}

void UsbfsPoll::remove(const QByteArray &file)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    for (auto it = registry.begin(); it != registry.end(); ++it) {
        if (it->file == file) {
            registry.erase(it);
            break;
        }
    }
    anyRegistered = !registry.empty();
}

extern "C" int poll(pollfd *fds, nfds_t count, int timeoutMs)
{
    if (!anyRegistered || count == 0)
        return realPoll()(fds, count, timeoutMs);

    // Each registered node's descriptor is swapped for its readiness descriptor, and the answer
    // translated back.
    std::vector<pollfd> polled(fds, fds + count);
    std::vector<const std::atomic<bool> *> gone(count, nullptr);
    bool swapped = false;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        for (nfds_t i = 0; i < count; ++i) {
            struct stat st
            {
            };
            if (fds[i].fd < 0 || ::fstat(fds[i].fd, &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            for (const Node &node : registry) {
                if (node.device == st.st_dev && node.inode == st.st_ino) {
                    polled[i].fd = node.readyFd;
                    polled[i].events = POLLIN;
                    gone[i] = node.gone;
                    swapped = true;
                }
            }
        }
    }
    if (!swapped)
        return realPoll()(fds, count, timeoutMs);

    const int result = realPoll()(polled.data(), count, timeoutMs);
    if (result < 0)
        return result;
    int ready = 0;
    for (nfds_t i = 0; i < count; ++i) {
        short revents = polled[i].revents;
        if (gone[i]) {
            const bool readable = revents & POLLIN;
            revents = 0;
            if (readable && (fds[i].events & POLLOUT))
                revents |= POLLOUT;
            if (readable && gone[i]->load())
                revents |= POLLERR | POLLHUP;
        }
        fds[i].revents = revents;
        ready += revents != 0;
    }
    return ready;
}
