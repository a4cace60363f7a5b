#include "cli/ViewCommands.h"

#include "chart/HourlyChart.h"
#include "cli/BatchCommands.h"
#include "cli/TerminalBatchUi.h"
#include "db/Error.h"
#include "view/CsvExport.h"
#include "view/DataSummary.h"
#include "view/SourcesReader.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace tarnwick {

namespace {

const QSize ChartImageSize(1200, 600);

struct ViewOption {
    const char* Name;
    const char* ValueName;
    const char* Description;
};

const ViewOption ViewOptions[] = {
    {"facility", "N", "export, chart: the facility (ORISPL code)."},
    {"unit", "U", "export, chart: the unit."},
    {"measure", "COLUMN", "chart: the EMISSIONS value column shown."},
    {"from", "DATE", "export, chart: the first day, YYYY-MM-DD."},
    {"to", "DATE", "export, chart: the last day, YYYY-MM-DD."},
    {"out", "FILE", "export: the CSV file (standard output without it); chart: the PNG file."},
};

struct CommandShape {
    const char* Name;
    const char* Operands;
    QStringList Allowed;  // options the command takes
    QStringList Required; // options it cannot do without
};

const CommandShape Commands[] = {
    {"export", "DB TABLE", {"facility", "unit", "from", "to", "out"}, {}},
    {"chart",
     "DB",
     {"facility", "unit", "measure", "from", "to", "out"},
     {"facility", "unit", "measure", "out"}},
    {"summary", "DB", {}, {}},
};

const CommandShape* FindCommand(const QString& name) {
    for (const CommandShape& command : Commands)
        if (name == QLatin1String(command.Name))
            return &command;
    return nullptr;
}

bool TakesValue(QStringView argument) {
    for (const ViewOption& option : ViewOptions)
        if (argument == QStringLiteral("--") + QLatin1String(option.Name))
            return true;
    return false;
}

bool IsChartInvocation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == u"--")
            return i + 1 < argc && QString::fromLocal8Bit(argv[i + 1]) == u"chart";
        if (argument.startsWith(u'-')) {
            i += TakesValue(argument) ? 1 : 0;
            continue;
        }
        return argument == u"chart";
    }
    return false;
}

// Checks the operands and options against the command's shape. Throws Error (Request).
void CheckShape(const CommandShape& shape, const QCommandLineParser& parser) {
    const QStringList operands = parser.positionalArguments();
    const qsizetype expected = QString::fromLatin1(shape.Operands).count(u' ') + 2;
    if (operands.size() != expected)
        throw Error(QStringLiteral("'%1' takes %2")
                        .arg(QLatin1String(shape.Name), QLatin1String(shape.Operands)),
                    FailureKind::Request);
    for (const ViewOption& option : ViewOptions) {
        const QString name = QString::fromLatin1(option.Name);
        if (parser.isSet(name) && !shape.Allowed.contains(name))
            throw Error(QStringLiteral("'%1' takes no --%2").arg(QLatin1String(shape.Name), name),
                        FailureKind::Request);
        if (!parser.isSet(name) && shape.Required.contains(name))
            throw Error(QStringLiteral("'%1' needs --%2").arg(QLatin1String(shape.Name), name),
                        FailureKind::Request);
    }
}

std::optional<QDate> ReadDay(const QCommandLineParser& parser, const QString& option) {
    if (!parser.isSet(option))
        return std::nullopt;
    const QString text = parser.value(option);
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        throw Error(QStringLiteral("--%1 %2 is not a day of the calendar written "
                                   "YYYY-MM-DD")
                        .arg(option, text),
                    FailureKind::Request);
    return day;
}

ExportFilter ReadFilter(const QCommandLineParser& parser) {
    ExportFilter filter;
    if (parser.isSet(QStringLiteral("facility"))) {
        const QString text = parser.value(QStringLiteral("facility"));
        bool number = false;
        filter.FacilityId = text.toLongLong(&number);
        if (!number)
            throw Error(QStringLiteral("--facility %1 is not a facility number").arg(text),
                        FailureKind::Request);
    }
    if (parser.isSet(QStringLiteral("unit")))
        filter.UnitId = parser.value(QStringLiteral("unit"));
    filter.From = ReadDay(parser, QStringLiteral("from"));
    filter.To = ReadDay(parser, QStringLiteral("to"));
    return filter;
}

const Measure& ReadMeasure(const QCommandLineParser& parser) {
    const QString column = parser.value(QStringLiteral("measure"));
    if (const Measure* measure = FindMeasure(column))
        return *measure;
    QStringList columns;
    for (const Measure& measure : Measures())
        columns << measure.Column;
    throw Error(QStringLiteral("EMISSIONS has no value column \"%1\"; the columns are %2")
                    .arg(column, columns.join(QStringLiteral(", "))),
                FailureKind::Request);
}

void Commit(QSaveFile& file) {
    if (!file.commit())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()),
                    FailureKind::File);
}

void Open(QSaveFile& file) {
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()),
                    FailureKind::File);
}

int Export(const QCommandLineParser& parser) {
    const QStringList operands = parser.positionalArguments();
    const ExportRequest request = ReadExportRequest(operands.at(2), ReadFilter(parser));
    SourcesReader reader(operands.at(1));
    if (!parser.isSet(QStringLiteral("out"))) {
        QFile out;
        out.open(stdout, QIODevice::WriteOnly);
        ExportCsv(reader, request, out);
        out.flush();
        return ExitSucceeded;
    }
    // Written aside and renamed at the end, so a failed export leaves no partial file.
    QSaveFile out(parser.value(QStringLiteral("out")));
    Open(out);
    ExportCsv(reader, request, out);
    Commit(out);
    return ExitSucceeded;
}

int Chart(const QCommandLineParser& parser, std::ostream& out) {
    const ExportFilter filter = ReadFilter(parser);
    HourlyRequest request{*filter.FacilityId, *filter.UnitId, &ReadMeasure(parser), {}, {}};
    SourcesReader reader(parser.positionalArguments().at(1));
    const auto [first, last] = ReadUnitDays(reader, request.FacilityId, request.UnitId);
    request.From = filter.From.value_or(first);
    request.To = filter.To.value_or(last);
    if (request.From > request.To)
        throw Error(QStringLiteral("The first day %1 comes after the last day %2")
                        .arg(request.From.toString(Qt::ISODate), request.To.toString(Qt::ISODate)),
                    FailureKind::Request);
    const QList<HourlyRun> runs = ReadHourlyRuns(reader, request);
    QSaveFile file(parser.value(QStringLiteral("out")));
    Open(file);
    if (!RenderHourlyChart(request, runs, ChartImageSize).save(&file, "PNG"))
        throw Error(QStringLiteral("The chart could not be encoded as PNG."), FailureKind::File);
    Commit(file);
    qsizetype hours = 0;
    for (const HourlyRun& run : runs)
        hours += run.size();
    out << QStringLiteral("Saved the chart of %1 hours with a value to %2")
               .arg(hours)
               .arg(file.fileName())
        << '\n'
        << std::flush;
    return ExitSucceeded;
}

int Summary(const QCommandLineParser& parser, std::ostream& out) {
    SourcesReader reader(parser.positionalArguments().at(1));
    out << SummaryTable(ReadDataSummary(reader)) << std::flush;
    return ExitSucceeded;
}

} // namespace

std::unique_ptr<QCoreApplication> NewRunnerApplication(int& argc, char** argv) {
    if (!IsChartInvocation(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    // No display is needed or used, whatever the environment names.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

void AddViewOptions(QCommandLineParser& parser) {
    for (const ViewOption& option : ViewOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.Name),
                                            QString::fromLatin1(option.Description),
                                            QString::fromLatin1(option.ValueName)));
}

bool IsViewCommand(const QString& command) {
    return FindCommand(command) != nullptr;
}

int RunViewCommand(const QCommandLineParser& parser, std::ostream& out, std::ostream& err) {
    const QString command = parser.positionalArguments().value(0);
    try {
        CheckShape(*FindCommand(command), parser);
        if (command == u"export")
            return Export(parser);
        if (command == u"chart")
            return Chart(parser, out);
        return Summary(parser, out);
    } catch (const Error& error) {
        if (error.Kind != FailureKind::Request) {
            err << error.Text() << '\n' << std::flush;
            return ExitFailed;
        }
        err << QStringLiteral("tarnwick-batch: ") << error.Message
            << "\nTry 'tarnwick-batch --help'.\n"
            << std::flush;
        return ExitUsageError;
    } catch (const std::exception& error) {
        err << MessageOf(error) << '\n' << std::flush;
        return ExitFailed;
    }
}

} // namespace tarnwick
