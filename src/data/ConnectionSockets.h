// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrelon {

// The network sockets one ODBC connection holds, found as the sockets the
// process gained while the driver connected. A driver gives no other way to
// reach them; they are needed to tell whether anything still arrives from
// the server, and to cut off a server that stopped answering (a stopped
// process, a lost network), which no time-out of the server's own can end.
class ConnectionSockets
{
public:
    // The sockets the process holds now.
    static ConnectionSockets ofProcess();
    // Those of `now` that `before` did not hold.
    static ConnectionSockets gained(const ConnectionSockets &before, const ConnectionSockets &now);

    bool isEmpty() const { return sockets_.empty(); }
    // The bytes that the TCP sockets among them have received so far;
    // nothing when none of them can tell (a local socket, another system).
    std::optional<std::uint64_t> bytesReceived() const;
    // Shuts each socket down, so that a call waiting on it returns at once,
    // unless its descriptor has since been closed or reused.
    void shutDown() const;

private:
    struct Socket
    {
        int descriptor;
        unsigned long inode;
        bool operator==(const Socket &other) const
        {
            return descriptor == other.descriptor && inode == other.inode;
        }
    };

    std::vector<Socket> sockets_;
};

} // namespace kestrelon
