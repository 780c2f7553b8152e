// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace kestrelon {

namespace {

struct Options
{
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    Options()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Browses the lithology classification and the stratigraphic age chart kept in the "
            "ODBC data source \"ds_hier\". Takes no arguments."));
    }
};

} // namespace

void answerOnTerminal(int &argc, char *argv[])
{
    if (argc < 2)
        return;
    // No window yet: the answer needs no display.
    const QCoreApplication terminal(argc, argv);
    Options options;
    // Options of the window's application, such as -platform, are not known
    // here; they are checked once it has taken them.
    options.parser.parse(QCoreApplication::arguments());
    if (options.parser.isSet(options.help) || options.parser.isSet(QStringLiteral("help-all")))
        options.parser.showHelp(0);
    if (options.parser.isSet(options.version))
        options.parser.showVersion();
}

void refuseUnknownOptions()
{
    Options options;
    options.parser.process(*QCoreApplication::instance());
}

} // namespace kestrelon
