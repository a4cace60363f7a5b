#pragma once

#include "tests/support/DatTestFiles.h"

#include <QByteArray>
#include <vector>

// Lines of the quarterly record types with typical values; the parameters are the values tests
// vary. Columns that follow each other without a gap are written as one text.
namespace tarnwick::test {

using Lines = std::vector<QByteArray>;

inline QByteArray QuarterFacilityLine() {
    return DatLineOf({{1, "100"}, {4, "003456"}, {10, "3"}, {11, "2001"}});
}

// Plant name; EPA facility, AIRS and state facility identifiers; columns 61-84, which the
// reader skips; state and county; then latitude and longitude in either order at 91-103.
inline QByteArray LocationLine(const char* coordinates) {
    return DatLineOf({{1, "102"},
                      {4, "O'BRIEN STATION"},
                      {24, "IN00012345671809700012STATE-00097    ELECTRIC UTILITY    4911IN097"},
                      {91, coordinates}});
}

inline QByteArray CO2Line(const char* hour, const char* concentration) {
    return CO2ConcLine(" 1", "010315", hour, concentration, "100.0");
}

inline QByteArray FlowLine(const char* hour, const char* flow) {
    return FlowLine("1", "010315", hour, flow, "   2460000", "100.0");
}

// Unit; report date; SO2 tons, NOx rates, CO2 tons, heat input, quarter and year to date;
// columns 102-113, which the reader skips; operating hours, quarter and year to date.
inline QByteArray SummaryLine(const char* unit) {
    return DatLineOf({{1, "301"},
                      {4, unit},
                      {10, "010331  123.4567  456.7890        0.456        0.412 123456.78 "
                           "234567.89 1234567.8 2345678.9XXXXXXXXXXXX21594318"}});
}

// Unit and type; heat input; first operation and retirement; stack, ground, flue and monitor.
inline QByteArray UnitLine(const char* unit, const char* type) {
    return DatLineOf(
        {{1, "504"}, {4, unit}, {10, type}, {13, " 2850.01973060112312030 500  545 254 201"}});
}

inline QByteArray FuelLine(const char* type) {
    return DatLineOf({{1, "587"}, {4, "1"}, {10, type}, {13, "19730601"}, {29, "N"}});
}

inline Lines AllRecordTypes() {
    return {QuarterFacilityLine(),
            LocationLine("3910300861500"),
            DatLineOf({{1, "200"}, {4, "1"}, {16, "010315"}, {22, "07"}, {29, "   500"}}),
            CO2Line("07", "  10.5"),
            FlowLine("07", "   2450000"),
            CO2Line("08", "  12.5"),
            FlowLine("08", "   2550000"),
            DatLineOf({{1, "999"}, {4, "1"}}),
            SummaryLine("1     "),
            UnitLine("1     ", "T  "),
            DatLineOf({{1, "505"}, {4, "1"}, {10, "ARP NBP   "}, {22, "Q "}, {24, "X"}}),
            DatLineOf({{1, "506"}, {4, "1"}, {16, "1    CS0012000XXXXXXX003456"}}),
            DatLineOf({{1, "535"}, {4, "1"}, {10, "MW   300Y"}}),
            DatLineOf({{1, "536"}, {4, "1"}, {10, "   310    50"}}),
            FuelLine("C  ")};
}

} // namespace tarnwick::test
