#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace tarnwick {

class SourcesReader;

struct Plant {
    QString Name;
    QString State;
};

// The plant name and state of each facility in FACILITIES, from its latest quarter that
// names them.
std::map<qint64, Plant> ReadPlants(SourcesReader& reader);

// An hour as EMISSIONS keys it.
struct Hour {
    QDate Date;
    int Number = 0; // 0 to 23, the hour beginning at that o'clock

    QString Text() const;  // "2001-01-01 08:00"
    qint64 Serial() const; // hours since 1970-01-01 00:00, so consecutive hours differ by 1
};

// What is loaded of one unit of one facility.
struct UnitSummary {
    qint64 FacilityId = 0;
    QString UnitId;
    Plant Facility;
    std::optional<Hour> First; // none when the unit has no hours in EMISSIONS
    std::optional<Hour> Last;
    qint64 HoursLoaded = 0;
    qint64 MissingHours = 0; // hours between First and Last without a row
    // OPERATING_HOURS_QTRLY summed over the unit's QUARTERS rows that report on the calendar
    // quarters from First to Last; a report covers the quarter before the one its
    // DATE_OF_REPORT falls in, as reports are made after their quarter ends. None when no
    // such row has a value.
    std::optional<double> OperatingHours;
    bool HasUnitRow = false;
    bool HasFuelRow = false;
    bool HasQuarterRow = false;
};

// One row per facility and unit found in EMISSIONS, UNITS, FUELS or QUARTERS, in facility and
// unit order. The hours come from one pass over EMISSIONS grouped by unit. Throws Error.
QList<UnitSummary> ReadDataSummary(SourcesReader& reader);

// The summary's columns, and one row of it as text, as the window, its CSV file and the
// runner's table show them.
QStringList SummaryHeader();
QStringList SummaryFields(const UnitSummary& unit);
// Columns of numbers and hours, aligned to the right in a text table.
bool IsRightAligned(int column);

// The summary as an aligned text table, rows with missing hours marked.
QString SummaryTable(const QList<UnitSummary>& units);

// The summary as CSV, header first.
QByteArray SummaryCsv(const QList<UnitSummary>& units);

} // namespace tarnwick
