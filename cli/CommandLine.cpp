#include "cli/CommandLine.h"

#include "cli/BatchCommands.h"
#include "cli/StopSignals.h"
#include "cli/TerminalBatchUi.h"
#include "cli/ViewCommands.h"
#include "core/QtMessages.h"
#include "core/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace tarnwick {

namespace {

const char* const Description =
    R"(Loads EPA Electronic Data Reporting quarterly .DAT files into a Sources database
without the window. One invocation is one program run.

Commands:
  hourly DB FOLDER     Extract hourly data: every hourly record of every .DAT
                       file of FOLDER becomes rows of EMISSIONS.
  quarterly DB FOLDER  Extract quarterly data: each .DAT file of FOLDER yields
                       one row in FACILITIES, UNITS, FUELS and QUARTERS. A file
                       that fails is reported and the batch goes on.
  init DB              Create the five tables of a new Sources database (a new
                       SQLite file or an empty PostgreSQL database). An existing
                       Sources database is refused.
  counts DB            Print the row counts of the five tables.
  export DB TABLE      Write the rows of TABLE (EMISSIONS, FACILITIES, UNITS,
                       FUELS or QUARTERS) as CSV in key order: a header row,
                       RFC 4180 quoting, CRLF line ends, UTF-8, dates as
                       YYYY-MM-DD, empty fields for NULL. Options: --facility,
                       --unit (not FACILITIES), --from and --to (EMISSIONS by
                       DATA_DATE, QUARTERS by DATE_OF_REPORT), --out FILE
                       (standard output without it).
  chart DB             Draw the hourly values of one measure of one unit as a
                       PNG: --facility N --unit U --measure COLUMN --out FILE,
                       and --from/--to (default: the unit's first and last day).
                       COLUMN is one of the 20 value columns of EMISSIONS.
  summary DB           Print one line per facility and unit: plant, first and
                       last hour loaded, hours loaded and missing, operating
                       hours reported in QUARTERS, and which header rows exist.

DB is one of:
  a SQLite database file           /data/Sources.db
  a PostgreSQL URI                 postgresql://user@host/sources
  a connection file, a text file whose first non-blank line is such a URI.

FOLDER is a plain prefix, exactly as in the window: "*.DAT" and the file names
are appended to it as they stand, and nothing adds a separator. End it with
'/' (for example /data/epa/2000/3/); without it the last folder name runs into
the pattern and none of that folder's files are found. File names match .DAT
without regard to case and are processed in name order.

Progress goes to standard error: on a terminal one line redrawn in place (file i
of n, its name, a bar, records per second and the time left), otherwise one line
per file. The completion message goes to standard output; warnings and errors go
to standard error. Qt's own warnings are shown only with --verbose.

The first Ctrl+C (SIGINT) or SIGTERM stops an extraction after the file being
written, which is then complete; the message says how many files were extracted,
and the exit status is 130 or 143. A second Ctrl+C stops at once: the file being
written is rolled back, none of its rows stay.

Exit status:
  0  the command succeeded
  1  the command failed: the database could not be opened or created, no .DAT
     file was found, a file could not be extracted, the facility or unit asked
     for has no rows, or the output could not be written
  2  usage error, including an unknown table or column and an impossible date
  130, 143  an extraction stopped by SIGINT or SIGTERM after a complete file

Examples:
  tarnwick-batch init Sources.db
  tarnwick-batch quarterly Sources.db /data/epa/2000/3/
  tarnwick-batch hourly Sources.db /data/epa/2000/3/
  tarnwick-batch counts postgresql:///sources?host=/run/postgresql
  tarnwick-batch export Sources.db EMISSIONS --facility 3 --out hours.csv
  tarnwick-batch chart Sources.db --facility 3 --unit 1 --measure SO2_MASS_LB_HOUR --out so2.png
  tarnwick-batch summary Sources.db)";

struct Invocation {
    QString Command;
    QString DatabasePath;
    QString DatFolder;
};

int ArgumentCount(const QString& command) {
    if (command == QLatin1String("hourly") || command == QLatin1String("quarterly"))
        return 3;
    if (command == QLatin1String("init") || command == QLatin1String("counts"))
        return 2;
    return 0;
}

std::optional<Invocation> ReadInvocation(const QStringList& arguments, QString& fault) {
    if (arguments.isEmpty()) {
        fault = QStringLiteral("no command given");
        return std::nullopt;
    }
    const QString& command = arguments.first();
    const int expected = ArgumentCount(command);
    if (expected == 0) {
        fault = QStringLiteral("unknown command '%1'").arg(command);
        return std::nullopt;
    }
    if (arguments.size() != expected) {
        const QLatin1String operands(expected == 3 ? "DB FOLDER" : "DB");
        fault = QStringLiteral("'%1' takes %2").arg(command, operands);
        return std::nullopt;
    }
    return Invocation{command, arguments.value(1), arguments.value(2)};
}

int UsageError(const QString& fault) {
    std::cerr << "tarnwick-batch: " << fault << "\nTry 'tarnwick-batch --help'.\n";
    return ExitUsageError;
}

int Run(const Invocation& invocation) {
    // The progress line is drawn where the user watches it: on standard error.
    TerminalBatchUi ui(std::cout, std::cerr, isatty(fileno(stderr)),
                       [] { return StopSignal() != 0; });
    if (invocation.Command == QLatin1String("init"))
        return RunInit(invocation.DatabasePath, std::cout, std::cerr);
    if (invocation.Command == QLatin1String("counts"))
        return RunCounts(invocation.DatabasePath, ui, std::cout, std::cerr);
    const Extraction extraction =
        invocation.Command == QLatin1String("hourly") ? Extraction::Hourly : Extraction::Quarterly;
    InstallStopSignals();
    return RunExtraction(extraction, invocation.DatabasePath, invocation.DatFolder, ui, std::cerr);
}

} // namespace

int RunCommandLine(int argc, char** argv) {
    FilterQtMessages(false);
    const std::unique_ptr<QCoreApplication> app = NewRunnerApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-batch"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"), QStringLiteral("Also show the warnings of Qt and its drivers."));
    parser.addOption(verboseOption);
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("hourly, quarterly, init, counts, export, chart or summary."));
    AddViewOptions(parser);
    parser.addPositionalArgument(QStringLiteral("DB"),
                                 QStringLiteral("The Sources database (see above)."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The .DAT folder prefix, ending in '/'."),
                                 QStringLiteral("[FOLDER]"));

    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    FilterQtMessages(parser.isSet(verboseOption));
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        std::cout << parser.helpText().toStdString();
        return ExitSucceeded;
    }
    if (parser.isSet(versionOption)) {
        std::cout << "tarnwick-batch " << VersionText << '\n';
        return ExitSucceeded;
    }
    if (IsViewCommand(parser.positionalArguments().value(0)))
        return RunViewCommand(parser, std::cout, std::cerr);
    QString fault;
    const std::optional<Invocation> invocation =
        ReadInvocation(parser.positionalArguments(), fault);
    if (!invocation)
        return UsageError(fault);
    return Run(*invocation);
}

} // namespace tarnwick
