#include "CodeTables.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(CodeTables, SameCodeDifferentTables) {
    EXPECT_EQ(FuelTypeName("C"), "Coal");
    EXPECT_EQ(UnitTypeName("C"), "Boiler: Cyclone boiler");
}

TEST(CodeTables, FirstAndLastEntriesOfEachTable) {
    EXPECT_EQ(FuelTypeName("PNG"), "Pipeline Natural Gas");
    EXPECT_EQ(FuelTypeName("W"), "Wood");
    EXPECT_EQ(UnitTypeName("AF"), "Boiler: Arch-fired boiler (coal unit)");
    EXPECT_EQ(UnitTypeName("CC"), "Turbine: Combined cycle");
    EXPECT_EQ(UnitTypeName("OT"), "Turbine: Other turbine");
}

TEST(CodeTables, CompareWholeExactlyAndCaseSensitively) {
    EXPECT_EQ(FuelTypeName("png"), "png");
    EXPECT_EQ(UnitTypeName(" CC"), " CC");
    EXPECT_EQ(UnitTypeName("CC "), "CC ");
    EXPECT_EQ(UnitTypeName("CF"), "CF"); // a prefix of CFB is not CFB
    EXPECT_EQ(FuelTypeName("DSL"), "Diesel Oil");
    EXPECT_EQ(FuelTypeName("DS"), "DS");
}

TEST(CodeTables, UnknownOrEmptyCodeComesBackUnchanged) {
    EXPECT_EQ(UnitTypeName("XYZ"), "XYZ");
    EXPECT_EQ(FuelTypeName("XYZ"), "XYZ");
    EXPECT_EQ(FuelTypeName(""), "");
    EXPECT_EQ(UnitTypeName(""), "");
}

} // namespace
} // namespace tarnwick
