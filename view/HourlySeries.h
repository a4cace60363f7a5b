#pragma once

#include "view/DataSummary.h"
#include "view/SourcesTables.h"

#include <QDate>
#include <QList>
#include <QString>
#include <utility>

namespace tarnwick {

class SourcesReader;

// A facility with hours in EMISSIONS, and its units.
struct ChartFacility {
    qint64 Id = 0;
    QString PlantName; // empty when FACILITIES does not name it
    QStringList Units; // in code point order
};

// Every facility and unit with hours in EMISSIONS, in order. Throws Error.
QList<ChartFacility> ReadChartFacilities(SourcesReader& reader);

// The first and last day of the unit's hours. Throws Error when it has none.
std::pair<QDate, QDate> ReadUnitDays(SourcesReader& reader, qint64 facility, const QString& unit);

// Whether the unit has an hour from `from` to `to`, inclusive. Throws Error.
bool HasHours(SourcesReader& reader, qint64 facility, const QString& unit, QDate from, QDate to);

struct HourValue {
    Hour At;
    double Value = 0;
    bool operator==(const HourValue& other) const {
        return At.Date == other.At.Date && At.Number == other.At.Number && Value == other.Value;
    }
};

// Consecutive hours that all have a value: drawn as one line, apart from the next.
using HourlyRun = QList<HourValue>;

struct HourlyRequest {
    qint64 FacilityId = 0;
    QString UnitId;
    const Measure* Shown = nullptr;
    QDate From; // inclusive
    QDate To;   // inclusive
};

// The measure's values of the unit from From to To, split into runs wherever an hour has no
// row or a NULL value. Throws Error.
QList<HourlyRun> ReadHourlyRuns(SourcesReader& reader, const HourlyRequest& request);

} // namespace tarnwick
