#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

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

void print(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

} // namespace

std::optional<int> answerOnTerminal(int &argc, char *argv[])
{
    if (argc < 2)
        return std::nullopt;
    // No window yet: the answer needs no display.
    const QCoreApplication terminal(argc, argv);
    Options options;
    // Options of the window's application, such as -platform, are not known
    // here; they are checked once it has taken them.
    options.parser.parse(QCoreApplication::arguments());
    if (options.parser.isSet(options.help) || options.parser.isSet(QStringLiteral("help-all"))) {
        print(options.parser.helpText());
        return 0;
    }
    if (options.parser.isSet(options.version)) {
        print(QCoreApplication::applicationName() + QLatin1Char(' ') +
              QCoreApplication::applicationVersion() + QLatin1Char('\n'));
        return 0;
    }
    return std::nullopt;
}

void refuseUnknownOptions()
{
    Options options;
    options.parser.process(*QCoreApplication::instance());
}

} // namespace kestrelon
