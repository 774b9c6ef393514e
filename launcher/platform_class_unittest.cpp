#include <gtest/gtest.h>

#include "version_numbers.h"

// Wine reports an NT-family Windows in a default prefix.
TEST(PlatformClassTest, RunningSystemIsNtFamily) { EXPECT_EQ(0, GetPlatformClass()); }
