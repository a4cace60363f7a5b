#include "view/HourlySeries.h"

#include "db/Error.h"
#include "view/SourcesReader.h"

namespace tarnwick {

QList<ChartFacility> ReadChartFacilities(SourcesReader& reader) {
    const std::map<qint64, Plant> plants = ReadPlants(reader);
    // From each unit to the next by the primary key's index, a few lookups a unit, where a
    // GROUP BY reads every hour: 30 ms instead of 3 s for a nationwide year in SQLite.
    QSqlQuery query = reader.Run(
        QStringLiteral(
            "WITH RECURSIVE UNITS_FOUND(F, U) AS ("
            "SELECT (SELECT MIN(FACILITY_ID) FROM EMISSIONS), (SELECT MIN(UNIT_ID) FROM EMISSIONS "
            "WHERE FACILITY_ID = (SELECT MIN(FACILITY_ID) FROM EMISSIONS)) "
            "UNION ALL SELECT CASE WHEN (SELECT MIN(UNIT_ID) FROM EMISSIONS WHERE FACILITY_ID = F "
            "AND UNIT_ID > U) IS NULL THEN (SELECT MIN(FACILITY_ID) FROM EMISSIONS WHERE "
            "FACILITY_ID > F) ELSE F END, "
            "COALESCE((SELECT MIN(UNIT_ID) FROM EMISSIONS WHERE FACILITY_ID = F AND UNIT_ID > U), "
            "(SELECT MIN(UNIT_ID) FROM EMISSIONS WHERE FACILITY_ID = (SELECT MIN(FACILITY_ID) "
            "FROM EMISSIONS WHERE FACILITY_ID > F))) FROM UNITS_FOUND WHERE F IS NOT NULL) "
            "SELECT F, U FROM UNITS_FOUND WHERE F IS NOT NULL ORDER BY F, ") +
        reader.CodePointOrder(QStringLiteral("U")));
    QList<ChartFacility> facilities;
    while (reader.Next(query)) {
        const qint64 id = query.value(0).toLongLong();
        if (facilities.isEmpty() || facilities.back().Id != id) {
            const auto plant = plants.find(id);
            facilities << ChartFacility{
                id, plant == plants.end() ? QString() : plant->second.Name, {}};
        }
        facilities.back().Units << query.value(1).toString();
    }
    return facilities;
}

std::pair<QDate, QDate> ReadUnitDays(SourcesReader& reader, qint64 facility, const QString& unit) {
    QSqlQuery query = reader.Run(QStringLiteral("SELECT MIN(DATA_DATE), MAX(DATA_DATE) FROM "
                                                "EMISSIONS WHERE FACILITY_ID = ? AND UNIT_ID = ?"),
                                 {facility, unit});
    if (!reader.Next(query) || query.value(0).isNull())
        throw Error(QStringLiteral("EMISSIONS holds no hours of unit \"%1\" of facility %2.")
                        .arg(unit)
                        .arg(facility),
                    FailureKind::File);
    return {DateValue(query.value(0)), DateValue(query.value(1))};
}

bool HasHours(SourcesReader& reader, qint64 facility, const QString& unit, QDate from, QDate to) {
    QSqlQuery query = reader.Run(
        QStringLiteral("SELECT 1 FROM EMISSIONS WHERE FACILITY_ID = ? AND UNIT_ID = ? AND "
                       "DATA_DATE >= ? AND DATA_DATE <= ? LIMIT 1"),
        {facility, unit, DateParameter(from), DateParameter(to)});
    return reader.Next(query);
}

QList<HourlyRun> ReadHourlyRuns(SourcesReader& reader, const HourlyRequest& request) {
    // The column name comes from the fixed list of measures, never from the user.
    const QString sql =
        QStringLiteral("SELECT DATA_DATE, DATA_HOUR, %1 FROM EMISSIONS WHERE FACILITY_ID = ? AND "
                       "UNIT_ID = ? AND DATA_DATE >= ? AND DATA_DATE <= ? "
                       "ORDER BY DATA_DATE, DATA_HOUR")
            .arg(request.Shown->Column);
    QSqlQuery query = reader.Run(sql, {request.FacilityId, request.UnitId,
                                       DateParameter(request.From), DateParameter(request.To)});
    QList<HourlyRun> runs;
    qint64 previous = 0;
    bool runOpen = false;
    while (reader.Next(query)) {
        if (query.value(2).isNull()) {
            runOpen = false;
            continue;
        }
        const HourValue point{Hour{DateValue(query.value(0)), query.value(1).toInt()},
                              query.value(2).toDouble()};
        const qint64 serial = point.At.Serial();
        if (!runOpen || serial != previous + 1)
            runs.emplace_back();
        runs.back() << point;
        previous = serial;
        runOpen = true;
    }
    return runs;
}

} // namespace tarnwick
