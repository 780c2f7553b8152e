// SPDX-License-Identifier: GPL-3.0-or-later
#include "NetworkLink.h"

#include "DataSources.h"

#include <QFile>
#include <QTest>
#include <unistd.h>

namespace testsupport {

namespace {

const QString netnsScript = QStringLiteral(KESTRELON_SOURCE_DIR "/scripts/netns");

} // namespace

bool NetworkLink::available()
{
    const bool usable = geteuid() == 0 && QFile::exists(QStringLiteral("/usr/sbin/ip")) &&
                        QFile::exists(QStringLiteral("/usr/sbin/tc")) && postgres::available();
    if (!usable && !qEnvironmentVariableIsEmpty("KESTRELON_TEST_REQUIRE_NETNS"))
        qFatal("a network link is required, but cannot be made here");
    return usable;
}

NetworkLink &NetworkLink::instance()
{
    static NetworkLink link;
    return link;
}

NetworkLink::NetworkLink()
{
    QByteArray created;
    script({QStringLiteral("create"), QString::number(getpid())}, &created);
    const QStringList words = QString::fromUtf8(created).simplified().split(u' ');
    if (words.size() != 3)
        qFatal("scripts/netns did not make a link: %s", created.constData());
    name_ = words[0];
    innerAddress_ = words[2];
    postgres::useOwnServer(name_);
    proxy_ = std::make_unique<Subprocess>(
        QStringLiteral("/usr/sbin/ip"),
        QStringList{QStringLiteral("netns"), QStringLiteral("exec"), name_,
                    QStringLiteral(KESTRELON_TCPPROXY), innerAddress_, QStringLiteral("127.0.0.1"),
                    qEnvironmentVariable("KESTRELON_TEST_PG_PORT")});
    const QByteArray listening = proxy_->readLine(10000);
    if (!listening.startsWith("listening "))
        qFatal("tcpproxy did not start: %s", proxy_->errors().constData());
    proxyPort_ = QString::fromLatin1(listening.mid(10));
}

NetworkLink::~NetworkLink()
{
    proxy_.reset();
    script({QStringLiteral("destroy"), name_});
}

void NetworkLink::script(const QStringList &arguments, QByteArray *output)
{
    Subprocess process(netnsScript, arguments);
    process.closeInput();
    if (process.waitForExit(30000) != 0)
        qFatal("scripts/netns %s: %s", qPrintable(arguments.join(u' ')),
               process.errors().constData());
    if (output)
        *output = process.output();
}

QString NetworkLink::dataSource(const QString &database, const QStringList &settings) const
{
    QString section = QStringLiteral("[ds_hier]\nDriver=%1\nServername=%2\nPort=%3\nDatabase=%4\n")
                          .arg(qEnvironmentVariable("KESTRELON_TEST_PG_DRIVER",
                                                    QStringLiteral("PostgreSQL Unicode")),
                               innerAddress_, proxyPort_, database);
    for (const QString &line : settings)
        section += line + u'\n';
    return section;
}

QString NetworkLink::proxy(const QString &command)
{
    proxy_->write(command.toUtf8() + '\n');
    const QByteArray answer = proxy_->readLine(10000);
    if (answer.isEmpty() || answer.startsWith("error"))
        qFatal("tcpproxy: %s: %s", qPrintable(command), answer.constData());
    return QString::fromUtf8(answer);
}

void NetworkLink::setRate(const QString &rate)
{
    script({QStringLiteral("rate"), name_, rate});
}

void NetworkLink::setState(const QString &state)
{
    script({QStringLiteral("link"), name_, state});
}

} // namespace testsupport
