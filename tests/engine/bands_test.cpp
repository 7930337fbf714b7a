#include "engine/bands.h"

#include <gtest/gtest.h>

namespace {

TEST(Bands, FreshArraysHoldZerosThatAreNoMarker) {
    BandArray b;
    for (int j = 1; j <= kMaxBands; ++j) {
        EXPECT_EQ(b(j), 0.0);
        EXPECT_FALSE(isMarker(b(j)));
    }
    SheetMatrix m(3, 30);
    m(3, 30) = 7;
    m(1, 1) = 5;
    EXPECT_EQ(m(3, 30), 7);
    EXPECT_EQ(m(1, 1), 5);
    EXPECT_EQ(m(2, 15), 0);
    ArgMatrix a;
    a.addColumn()(4) = 1;
    a.addColumn()(4) = 2;
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a(4, 1), 1);
    EXPECT_EQ(a(4, 2), 2);
}

} // namespace
