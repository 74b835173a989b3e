#include <gtest/gtest.h>

#include "app/diagnostics.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {
TEST(Diagnostics, Placeholder) { EXPECT_EQ(severity_word(2), "ERROR"); }
}  // namespace
}  // namespace avelor
