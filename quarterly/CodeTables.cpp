#include "quarterly/CodeTables.h"

#include <array>
#include <utility>

namespace tarnwick {

namespace {

using CodeText = std::pair<const char*, const char*>;

constexpr std::array<CodeText, 11> FuelTypes{{
    {"C", "Coal"},
    {"DSL", "Diesel Oil"},
    {"PNG", "Pipeline Natural Gas"},
    {"OGS", "Other Gas"},
    {"NNG", "Natural Gas"},
    {"OIL", "Residual Oil"},
    {"OOL", "Other Oil"},
    {"PRG", "Process Gas"},
    {"PRS", "Process Sludge"},
    {"R", "Refuse"},
    {"W", "Wood"},
}};

constexpr std::array<CodeText, 17> UnitTypes{{
    {"AF", "Boiler: Arch-fired boiler (coal unit)"},
    {"C", "Boiler: Cyclone boiler"},
    {"CB", "Boiler: Cell burner boiler (coal unit)"},
    {"CFB", "Boiler: Circulating fluidized bed boiler"},
    {"DB", "Boiler: Dry bottom wall-fired boiler"},
    {"DTF", "Boiler: Dry bottom turbo-fired boiler (coal unit)"},
    {"DVF", "Boiler: Dry bottom vertically-fired boiler (coal unit)"},
    {"OB", "Boiler: Other boiler"},
    {"S", "Boiler: Stoker (coal or wood unit)"},
    {"T", "Boiler: Tangentially-fired"},
    {"WBF", "Boiler: Wet bottom wall-fired boiler (coal unit)"},
    {"WBT", "Boiler: Wet bottom turbo-fired boiler (coal unit)"},
    {"WVF", "Boiler: Wet bottom vertically-fired boiler (coal unit)"},
    {"CC", "Turbine: Combined cycle"},
    {"CT", "Turbine: Combustion turbine"},
    {"ICE", "Turbine: Internal combustion engine"},
    {"OT", "Turbine: Other turbine"},
}};

template <std::size_t N> QString LookUp(const std::array<CodeText, N>& table, const QString& code) {
    for (const auto& [tableCode, text] : table) {
        if (code == QLatin1String(tableCode))
            return QString::fromLatin1(text);
    }
    return code;
}

} // namespace

QString FuelTypeName(const QString& code) {
    return LookUp(FuelTypes, code);
}

QString UnitTypeName(const QString& code) {
    return LookUp(UnitTypes, code);
}

} // namespace tarnwick
