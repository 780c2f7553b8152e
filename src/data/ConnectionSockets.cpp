// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionSockets.h"

#ifdef __linux__
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestrelon {

#ifdef __linux__

namespace {

// The socket's inode when the descriptor names a socket, else 0.
unsigned long socketInode(const char *descriptor)
{
    const std::string link = std::string("/proc/self/fd/") + descriptor;
    char target[64] = {};
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    constexpr char prefix[] = "socket:[";
    if (length <= 0 || std::strncmp(target, prefix, sizeof prefix - 1) != 0)
        return 0;
    return std::strtoul(target + sizeof prefix - 1, nullptr, 10);
}

bool isIp(int descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    return getsockname(descriptor, reinterpret_cast<sockaddr *>(&address), &length) == 0 &&
           (address.ss_family == AF_INET || address.ss_family == AF_INET6);
}

} // namespace

ConnectionSockets ConnectionSockets::ofProcess()
{
    ConnectionSockets found;
    DIR *directory = opendir("/proc/self/fd");
    if (!directory)
        return found;
    while (const dirent *entry = readdir(directory)) {
        if (const unsigned long inode = socketInode(entry->d_name))
            found.sockets_.push_back({std::atoi(entry->d_name), inode});
    }
    closedir(directory);
    return found;
}

// A server is reached over IP, or over a local socket. Another part of the
// program (the desktop's accessibility bus, say) may open local sockets at
// the same moment: when the driver opened an IP socket, only those count.
ConnectionSockets ConnectionSockets::gained(const ConnectionSockets &before,
                                            const ConnectionSockets &now)
{
    ConnectionSockets added;
    ConnectionSockets overIp;
    for (const Socket &socket : now.sockets_) {
        if (std::find(before.sockets_.begin(), before.sockets_.end(), socket) !=
            before.sockets_.end())
            continue;
        added.sockets_.push_back(socket);
        if (isIp(socket.descriptor))
            overIp.sockets_.push_back(socket);
    }
    return overIp.isEmpty() ? added : overIp;
}

void ConnectionSockets::shutDown() const
{
    for (const Socket &socket : sockets_) {
        if (socketInode(std::to_string(socket.descriptor).c_str()) == socket.inode)
            ::shutdown(socket.descriptor, SHUT_RDWR);
    }
}

// The kernel counts what each TCP connection received (Linux 4.1 on).
std::optional<std::uint64_t> ConnectionSockets::bytesReceived() const
{
    std::optional<std::uint64_t> total;
    for (const Socket &socket : sockets_) {
        tcp_info info{};
        socklen_t length = sizeof info;
        const socklen_t needed =
            offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received;
        if (getsockopt(socket.descriptor, IPPROTO_TCP, TCP_INFO, &info, &length) != 0 ||
            length < needed ||
            socketInode(std::to_string(socket.descriptor).c_str()) != socket.inode)
            continue;
        total = total.value_or(0) + info.tcpi_bytes_received;
    }
    return total;
}

#else

// Elsewhere the sockets are not found: a call that runs out of time is
// cancelled instead.
ConnectionSockets ConnectionSockets::ofProcess()
{
    return {};
}

ConnectionSockets ConnectionSockets::gained(const ConnectionSockets &, const ConnectionSockets &)
{
    return {};
}

void ConnectionSockets::shutDown() const {}

std::optional<std::uint64_t> ConnectionSockets::bytesReceived() const
{
    return std::nullopt;
}

#endif

} // namespace kestrelon
