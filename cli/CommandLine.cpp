#include "cli/CommandLine.h"

#include "cli/BatchCommands.h"
#include "cli/OutputFile.h"
#include "cli/TerminalBatchUi.h"
#include "cli/ViewCommands.h"
#include "core/QtMessages.h"
#include "core/Version.h"
#include "db/Error.h"

#include <QApplication>
#include <QCommandLineParser>
#include <iostream>
#include <memory>

namespace tarnwick {

namespace {

struct OptionSpec {
    const char* Name;
    const char* ValueName; // nullptr for a switch
    const char* Description;
};

const OptionSpec Options[] = {
    {"facility", "N", "export, chart: the facility (ORISPL code)."},
    {"unit", "U", "export, chart: the unit."},
    {"measure", "COLUMN", "chart: the EMISSIONS value column shown."},
    {"from", "DATE", "export, chart: the first day, YYYY-MM-DD."},
    {"to", "DATE", "export, chart: the last day, YYYY-MM-DD."},
    {"out", "FILE", "export: the CSV file (standard output without it); chart: the PNG file."},
    {"recursive", nullptr, "hourly, quarterly: also every folder below FOLDER."},
    {"changed-only", nullptr,
     "hourly, quarterly: skip a file that LOADS holds with the same bytes."},
};

// Every command of the runner: what it takes, what --help says of it, and what runs it.
struct CommandSpec {
    const char* Name;
    const char* Operands;
    const char* Summary; // for --help, lines of at most 52 characters
    QStringList Allowed; // the options it takes, beside --verbose
    QStringList Required;
    bool NeedsWidgets; // draws with Qt's widgets, on the offscreen platform
    int (*Run)(const CommandCall&);
};

const CommandSpec Commands[] = {
    {"hourly",
     "DB FOLDER",
     "Extract hourly data: every hourly record of every .DAT\n"
     "file of FOLDER (and of each .DAT member of its .zip\n"
     "files) becomes rows of EMISSIONS. --recursive: also the\n"
     "folders below; --changed-only: skip files loaded before\n"
     "with the same bytes.",
     {"recursive", "changed-only"},
     {},
     false,
     RunHourly},
    {"quarterly",
     "DB FOLDER",
     "Extract quarterly data: each .DAT file (or zip member)\n"
     "of FOLDER yields one row in FACILITIES, UNITS, FUELS and\n"
     "QUARTERS. A file that fails is reported and the batch\n"
     "goes on. --recursive and --changed-only as for hourly.",
     {"recursive", "changed-only"},
     {},
     false,
     RunQuarterly},
    {"init",
     "DB",
     "Create the five tables of a new Sources database (a new\n"
     "SQLite file or an empty PostgreSQL database). An existing\n"
     "Sources database is refused.",
     {},
     {},
     false,
     RunInit},
    {"counts", "DB", "Print the row counts of the five tables.", {}, {}, false, RunCounts},
    {"loads",
     "DB",
     "Print LOADS, one line per file loaded: when (UTC), the\n"
     "batch, the facility, the bytes read, the rows added to\n"
     "each table, the SHA-256 and the file.",
     {},
     {},
     false,
     RunLoads},
    {"export",
     "DB TABLE",
     "Write the rows of TABLE (EMISSIONS, FACILITIES, UNITS,\n"
     "FUELS or QUARTERS) as CSV in key order: a header row,\n"
     "RFC 4180 quoting, CRLF line ends, UTF-8, dates as\n"
     "YYYY-MM-DD, empty fields for NULL. Options: --facility,\n"
     "--unit (not FACILITIES), --from and --to (EMISSIONS by\n"
     "DATA_DATE, QUARTERS by DATE_OF_REPORT), --out FILE\n"
     "(standard output without it).",
     {"facility", "unit", "from", "to", "out"},
     {},
     false,
     RunExport},
    {"chart",
     "DB",
     "Draw the hourly values of one measure of one unit as a\n"
     "PNG: --facility N --unit U --measure COLUMN --out FILE,\n"
     "and --from/--to (default: the unit's first and last day).\n"
     "COLUMN is one of the 20 value columns of EMISSIONS.",
     {"facility", "unit", "measure", "from", "to", "out"},
     {"facility", "unit", "measure", "out"},
     true,
     RunChart},
    {"summary",
     "DB",
     "Print one line per facility and unit: plant, first and\n"
     "last hour loaded, hours loaded and missing, operating\n"
     "hours reported in QUARTERS, and which header rows exist.",
     {},
     {},
     false,
     RunSummary},
};

const char* const Introduction =
    R"(Loads EPA Electronic Data Reporting quarterly .DAT files into a Sources database
without the window. One invocation is one program run.)";

const char* const Details =
    R"(DB is one of:
  a SQLite database file           /data/Sources.db
  a PostgreSQL URI                 postgresql://user@host/sources
  a connection file, a text file whose first non-blank line is such a URI.

FOLDER is a plain prefix, exactly as in the window: "*.DAT" and the file names
are appended to it as they stand, and nothing adds a separator. End it with
'/' (for example /data/epa/2000/3/); without it the last folder name runs into
the pattern and none of that folder's files are found. File names match .DAT
and .zip without regard to case and are processed in name order. A zip is read
where it lies: each member whose name ends in .DAT, in name order (or its only
file), named FOLDER/NAME.zip:MEMBER. With --recursive, the folders below follow
each folder's files, depth first, in natural order (1999/q4 before 2000/q1, q2
before q10); links to folders are not followed.

Every file loaded is recorded in the table LOADS (made in an older database at
its first batch) in the transaction of its rows. --changed-only skips a file
whose path, member and SHA-256 match an earlier load of the same batch.

Progress goes to standard error: on a terminal one line redrawn in place (file i
of n, its name, a bar, records per second and the time left), otherwise one line
per file. The completion message goes to standard output; warnings and errors go
to standard error. Qt's own warnings are shown only with --verbose.

The first Ctrl+C (SIGINT) or SIGTERM stops an extraction after the file being
written, which is then complete; the message says how many files were extracted,
and the exit status is 130 or 143. A second Ctrl+C stops at once: the file being
written is rolled back, none of its rows stay.

--out FILE: a regular file is written aside and renamed over FILE only when
complete; a pipe, a device or a terminal is written in place. Every write is
checked, the last one and the close included.

Exit status:
  0  the command succeeded
  1  the command failed: the database could not be opened or created, no .DAT
     file was found, a file could not be extracted, the facility or unit asked
     for has no rows, a chart's values cannot be drawn, or the output could not
     be written (the message gives the system's reason)
  2  usage error, including an unknown table or column, an impossible date or
     a year outside 1 to 9999, a --facility beyond a 32-bit integer, and an
     --out that is the database or its journal
  130, 143  an extraction stopped by SIGINT or SIGTERM after a complete file

Examples:
  tarnwick-batch init Sources.db
  tarnwick-batch hourly Sources.db /data/edr/ --recursive --changed-only
  tarnwick-batch quarterly Sources.db /data/epa/2000/3/
  tarnwick-batch hourly Sources.db /data/epa/2000/3/
  tarnwick-batch counts postgresql:///sources?host=/run/postgresql
  tarnwick-batch export Sources.db EMISSIONS --facility 3 --out hours.csv
  tarnwick-batch chart Sources.db --facility 3 --unit 1 --measure SO2_MASS_LB_HOUR --out so2.png
  tarnwick-batch summary Sources.db)";

const CommandSpec* FindCommand(const QString& name) {
    for (const CommandSpec& command : Commands)
        if (name == QLatin1String(command.Name))
            return &command;
    return nullptr;
}

QString CommandNames() {
    QStringList names;
    for (const CommandSpec& command : Commands)
        names << QString::fromLatin1(command.Name);
    return names.join(QStringLiteral(", "));
}

// The commands with their operands in a column of 21, each summary beside them.
QString Description() {
    QString text = QString::fromUtf8(Introduction) + QStringLiteral("\n\nCommands:\n");
    for (const CommandSpec& command : Commands) {
        const QString usage = QStringLiteral("  %1 %2").arg(QLatin1String(command.Name),
                                                            QLatin1String(command.Operands));
        const QStringList lines = QString::fromUtf8(command.Summary).split(u'\n');
        text += usage.leftJustified(21) + QLatin1Char(' ') + lines.first() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(22, QLatin1Char(' ')) + lines.at(i) + QLatin1Char('\n');
    }
    return text + QLatin1Char('\n') + QString::fromUtf8(Details);
}

int UsageError(const QString& fault) {
    std::cerr << "tarnwick-batch: " << fault << "\nTry 'tarnwick-batch --help'.\n";
    return ExitUsageError;
}

// The command named first, its operands and options checked against its line of the table.
// Throws Error (Request).
const CommandSpec& CheckedCommand(const QCommandLineParser& parser) {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        throw Error(QStringLiteral("no command given"), FailureKind::Request);
    const CommandSpec* command = FindCommand(arguments.first());
    if (!command)
        throw Error(QStringLiteral("unknown command '%1'").arg(arguments.first()),
                    FailureKind::Request);
    const QString name = QString::fromLatin1(command->Name);
    const QString operands = QString::fromLatin1(command->Operands);
    if (arguments.size() != operands.count(u' ') + 2)
        throw Error(QStringLiteral("'%1' takes %2").arg(name, operands), FailureKind::Request);
    for (const OptionSpec& option : Options) {
        const QString optionName = QString::fromLatin1(option.Name);
        if (parser.isSet(optionName) && !command->Allowed.contains(optionName))
            throw Error(QStringLiteral("'%1' takes no --%2").arg(name, optionName),
                        FailureKind::Request);
        if (!parser.isSet(optionName) && command->Required.contains(optionName))
            throw Error(QStringLiteral("'%1' needs --%2").arg(name, optionName),
                        FailureKind::Request);
    }
    return *command;
}

// A QApplication on the offscreen platform for a command that draws, whose drawing needs one;
// a plain QCoreApplication for every other, which never touches widgets or a display.
std::unique_ptr<QCoreApplication> NewApplication(int& argc, char** argv, bool widgets) {
    if (!widgets)
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen"); // whatever display the environment names
    return std::make_unique<QApplication>(argc, argv);
}

int RunCommand(const CommandSpec& command, const CommandCall& call) {
    try {
        return command.Run(call);
    } catch (const Error& error) {
        if (error.Kind == FailureKind::Request)
            return UsageError(error.Message);
        std::cerr << error.Text() << '\n' << std::flush;
    } catch (const std::exception& error) {
        std::cerr << MessageOf(error) << '\n' << std::flush;
    }
    return ExitFailed;
}

// A command whose output did not all reach standard output has failed, whatever it did.
int Run(const CommandSpec& command, const QCommandLineParser& parser) {
    StandardOutputBuffer outBuffer;
    std::ostream out(&outBuffer);
    int status = RunCommand(command, {parser, parser.positionalArguments().mid(1), out, std::cerr});
    if (const QString reason = outBuffer.Close(); !reason.isEmpty()) {
        std::cerr << "Cannot write standard output: " << reason << '\n' << std::flush;
        if (status == ExitSucceeded)
            status = ExitFailed;
    }
    return status;
}

} // namespace

int RunCommandLine(int argc, char** argv) {
    FilterQtMessages(false);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"), QStringLiteral("Also show the warnings of Qt and its drivers."));
    parser.addOption(verboseOption);
    for (const OptionSpec& option : Options)
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.Name),
                                            QString::fromLatin1(option.Description),
                                            QString::fromLatin1(option.ValueName)));
    parser.addPositionalArgument(QStringLiteral("command"), CommandNames() + QLatin1Char('.'));
    parser.addPositionalArgument(QStringLiteral("DB"),
                                 QStringLiteral("The Sources database (see above)."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The .DAT folder prefix, ending in '/'."),
                                 QStringLiteral("[FOLDER]"));

    // Parsed before the application exists: the command decides which application it needs.
    const bool parsed = parser.parse(arguments);
    const CommandSpec* command =
        parsed ? FindCommand(parser.positionalArguments().value(0)) : nullptr;
    const std::unique_ptr<QCoreApplication> app =
        NewApplication(argc, argv, command && command->NeedsWidgets);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-batch"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VersionText));
    if (!parsed)
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
    try {
        return Run(CheckedCommand(parser), parser);
    } catch (const Error& error) {
        return UsageError(error.Message);
    }
}

} // namespace tarnwick
