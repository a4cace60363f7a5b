#include "cli/ViewCommands.h"

#include "chart/HourlyChart.h"
#include "cli/OutputFile.h"
#include "cli/TerminalBatchUi.h"
#include "db/Error.h"
#include "view/CsvExport.h"
#include "view/DataSummary.h"
#include "view/SourcesReader.h"

#include <QCommandLineParser>
#include <limits>

namespace tarnwick {

namespace {

const QSize ChartImageSize(1200, 600);

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
    // The years both engines' DATE columns hold alike; another would match nothing in silence.
    if (day.year() < 1 || day.year() > 9999)
        throw Error(QStringLiteral("--%1 %2 is outside the years 1 to 9999").arg(option, text),
                    FailureKind::Request);
    return day;
}

ExportFilter ReadFilter(const QCommandLineParser& parser) {
    ExportFilter filter;
    if (parser.isSet(QStringLiteral("facility"))) {
        const QString text = parser.value(QStringLiteral("facility"));
        bool number = false;
        // FACILITY_ID is a 32-bit integer: PostgreSQL refuses a larger parameter, SQLite finds
        // no row.
        filter.FacilityId = text.toInt(&number);
        if (!number)
            throw Error(QStringLiteral("--facility %1 is not a facility number from %2 to %3")
                            .arg(text)
                            .arg(std::numeric_limits<int>::min())
                            .arg(std::numeric_limits<int>::max()),
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

} // namespace

int RunExport(const CommandCall& call) {
    const ExportRequest request = ReadExportRequest(call.Operands.at(1), ReadFilter(call.Options));
    OutputFile out(call.Options.value(QStringLiteral("out")), call.Operands.at(0));
    SourcesReader reader(call.Operands.at(0));
    out.Open();
    try {
        ExportCsv(reader, request, out);
    } catch (const Error&) {
        out.ThrowIfFailed(); // with the system's reason rather than the device's
        throw;
    }
    out.Finish();
    return ExitSucceeded;
}

int RunChart(const CommandCall& call) {
    const QCommandLineParser& options = call.Options;
    const ExportFilter filter = ReadFilter(options);
    HourlyRequest request{*filter.FacilityId, *filter.UnitId, &ReadMeasure(options), {}, {}};
    OutputFile out(options.value(QStringLiteral("out")), call.Operands.at(0));
    SourcesReader reader(call.Operands.at(0));
    const auto [first, last] = ReadUnitDays(reader, request.FacilityId, request.UnitId);
    request.From = filter.From.value_or(first);
    request.To = filter.To.value_or(last);
    if (request.From > request.To)
        throw Error(QStringLiteral("The first day %1 comes after the last day %2")
                        .arg(request.From.toString(Qt::ISODate), request.To.toString(Qt::ISODate)),
                    FailureKind::Request);
    const QList<HourlyRun> runs = ReadHourlyRuns(reader, request);
    if (const QString why = UndrawableValue(runs); !why.isEmpty())
        throw Error(why, FailureKind::File);
    out.Open();
    const bool saved = RenderHourlyChart(request, runs, ChartImageSize).save(&out, "PNG");
    out.ThrowIfFailed();
    if (!saved)
        throw Error(QStringLiteral("The chart could not be encoded as PNG."), FailureKind::File);
    out.Finish();
    qsizetype hours = 0;
    for (const HourlyRun& run : runs)
        hours += run.size();
    call.Out << QStringLiteral("Saved the chart of %1 hours with a value to %2")
                    .arg(hours)
                    .arg(out.Name())
             << '\n'
             << std::flush;
    return ExitSucceeded;
}

int RunSummary(const CommandCall& call) {
    SourcesReader reader(call.Operands.at(0));
    call.Out << SummaryTable(ReadDataSummary(reader)) << std::flush;
    return ExitSucceeded;
}

} // namespace tarnwick
