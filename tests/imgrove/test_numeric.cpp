#include "imgrove/Numeric.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

}  // namespace

TEST(Numeric, DoublesBecomeInt32WithinItsRange)
{
    struct Row {
        double value;
        int32_t truncated;
        int32_t rounded;
    };
    const Row rows[] = {
        {kNaN, 0, 0},
        {-kNaN, 0, 0},
        {kInf, kMax, kMax},
        {-kInf, kMin, kMin},
        {0.5, 0, 0},
        {1.5, 1, 2},
        {2.5, 2, 2},
        {3.5, 3, 4},
        {-0.5, 0, 0},
        {-1.5, -1, -2},
        {-2.5, -2, -2},
        {2.4999999, 2, 2},
        {2.5000001, 2, 3},
        {-7.9, -7, -8},
        {2147483646.5, 2147483646, 2147483646},
        {2147483647.0, kMax, kMax},
        {2147483647.4, kMax, kMax},
        {2147483647.5, kMax, kMax},
        {2147483648.0, kMax, kMax},
        {1e300, kMax, kMax},
        {-2147483647.5, -2147483647, kMin},
        {-2147483648.0, kMin, kMin},
        {-2147483648.5, kMin, kMin},
        {-2147483649.0, kMin, kMin},
        {-1e300, kMin, kMin},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(truncToInt32(row.value), row.truncated) << row.value;
        EXPECT_EQ(roundHalfEvenToInt32(row.value), row.rounded) << row.value;
    }
}

TEST(Numeric, ZoomedExtentRoundsHalvesToEven)
{
    struct Row {
        int32_t client;
        double zoom;
        int32_t extent;
    };
    const Row rows[] = {
        {5, 0.5, 2},
        {7, 0.5, 4},
        {301, 2.0, 602},
        {300, 0.1, 30},
        {333, 1.5, 500},
        {331, 1.5, 496},
        {0, 10, 0},
        {kMax, 10, kMax},
        {400, kNaN, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(zoomedExtent(row.client, row.zoom), row.extent) << row.client << " x " << row.zoom;
}
