// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Subprocess.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace testsupport {

// A network link of the test process's own: a network namespace joined to
// this machine by a veth pair (scripts/netns), a PostgreSQL server with the
// demo database inside it, and tcpproxy in front of the server. The program
// reaches the server over the pair and through the proxy, as over a
// network; the test sets the link's speed and state, and what the proxy
// does (tests/network/tcpproxy.cpp). The helpers of the postgres namespace
// (DataSources.h) run SQL on this server.
class NetworkLink
{
public:
    // Whether links can be made here (as root, with `ip` and `tc`); tests
    // that need one skip otherwise, unless scripts/test said they must run.
    static bool available();
    // The process's link, made on first use and removed when the process
    // ends.
    static NetworkLink &instance();

    // An odbc.ini section that makes "ds_hier" `database` on the server,
    // reached through the proxy, with these further lines ("Key=Value").
    QString dataSource(const QString &database, const QStringList &settings = {}) const;
    // Sends a command to the proxy and returns its answer.
    QString proxy(const QString &command);
    // Limits each way of the link to `rate` (tc's units, "4mbit"), or "off".
    void setRate(const QString &rate);
    // "up", "black-hole" (every packet lost, silently) or "cut" (the far
    // end gone: this machine soon finds no route).
    void setState(const QString &state);

    ~NetworkLink();
    NetworkLink(const NetworkLink &) = delete;
    NetworkLink &operator=(const NetworkLink &) = delete;

private:
    NetworkLink();
    void script(const QStringList &arguments, QByteArray *output = nullptr);

    QString name_;
    QString innerAddress_;
    std::unique_ptr<Subprocess> proxy_;
    QString proxyPort_;
};

} // namespace testsupport

// Skips the calling test unless a network link can be made.
#define REQUIRE_NETWORK_LINK()                                                                     \
    do {                                                                                           \
        if (!testsupport::NetworkLink::available())                                                \
            QSKIP("no network namespaces here: run the tests as root with scripts/test");          \
    } while (false)
