// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace kestrelon {

namespace {

// The options that Qt's window system takes off the command line when the
// window's application starts, with and without a value.
const char *const qtOptionsWithValue[] = {"platform",
                                          "platformpluginpath",
                                          "platformtheme",
                                          "plugin",
                                          "qwindowgeometry",
                                          "geometry",
                                          "qwindowtitle",
                                          "title",
                                          "qwindowicon",
                                          "icon",
                                          "session",
                                          "display",
                                          "name",
                                          "visual",
                                          "style",
                                          "stylesheet",
                                          "qmljsdebugger"};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

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
        // Qt's options are single words behind one dash: -platform, not -p -l -a ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const char *name : qtOptionsWithValue)
            parser.addOption(hidden(
                QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"))));
        for (const char *name : qtFlags)
            parser.addOption(hidden(QCommandLineOption(QString::fromLatin1(name))));
    }

    static QCommandLineOption hidden(QCommandLineOption option)
    {
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        return option;
    }
};

[[noreturn]] void refuse(const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(message));
    std::exit(EXIT_FAILURE);
}

} // namespace

void readCommandLine(int argc, char *argv[])
{
    if (argc < 2)
        return;
    // No window yet: nothing here needs a display.
    int count = argc;
    const QCoreApplication terminal(count, argv);
    Options options;
    if (!options.parser.parse(QCoreApplication::arguments()))
        refuse(options.parser.errorText());
    if (options.parser.isSet(options.help) || options.parser.isSet(QStringLiteral("help-all")))
        options.parser.showHelp(0);
    if (options.parser.isSet(options.version))
        options.parser.showVersion();
    const QStringList extra = options.parser.positionalArguments();
    if (!extra.isEmpty())
        refuse(
            QStringLiteral("Unexpected argument '%1'; the program takes none.").arg(extra.first()));
}

} // namespace kestrelon
