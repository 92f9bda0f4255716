#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/zoom_mode.h"

#include <gtest/gtest.h>

using namespace tesk_vumo;

TEST(Enumerations, ValuesAndNamesMatchTheChoiceItems)
{
    EXPECT_EQ(zoom_mode_from_index(3), ZoomMode::NoZoom);
    EXPECT_EQ(rotation_from_index(3), Rotation::CounterClockWise90);
    EXPECT_STREQ(name(zoom_mode_from_index(4)), "ZoomAny");
    EXPECT_STREQ(name(rotation_from_index(4)), "DegreeAny");
    EXPECT_STREQ(name(ZoomMode::FitPage), "FitPage");
    EXPECT_STREQ(name(Rotation::ClockWise90), "ClockWise90");
    EXPECT_THROW(zoom_mode_from_index(5), ValueError);
    EXPECT_THROW(rotation_from_index(-1), ValueError);
}
