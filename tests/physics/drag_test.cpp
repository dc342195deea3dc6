#include "physics/drag.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace ascent {
namespace {

TEST(DragCoefficient, FlatSubsonicUpToAndIncludingMach1) {
  EXPECT_EQ(dragCoefficient(standardDragModel(), 0.0), 0.4);
  EXPECT_EQ(dragCoefficient(standardDragModel(), 0.99), 0.4);
  EXPECT_EQ(dragCoefficient(standardDragModel(), 1.0), 0.4);
}

TEST(DragCoefficient, StepsUpJustAboveMach1) {
  EXPECT_EQ(dragCoefficient(standardDragModel(), std::nextafter(1.0, 2.0)), 0.8);
  EXPECT_EQ(dragCoefficient(standardDragModel(), 1.4), 0.8);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), 1.7), (0.8 + 0.69) / 2);
}

TEST(DragCoefficient, FallsLinearlyToMach5) {
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), std::nextafter(2.0, 0.0)), 0.69);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), 2.0), 0.69);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), 2.5), 0.64);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), 3.0), 0.59);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), std::nextafter(3.0, 4.0)), 0.59);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), 4.0), 0.57);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), 4.999), 0.55 + 0.001 * 0.02);
  EXPECT_DOUBLE_EQ(dragCoefficient(standardDragModel(), std::nextafter(5.0, 0.0)), 0.55);
}

TEST(DragCoefficient, ConstantFromMach5) {
  EXPECT_EQ(dragCoefficient(standardDragModel(), 5.0), 0.55);
  EXPECT_EQ(dragCoefficient(standardDragModel(), 25.0), 0.55);
}

// Never produced in flight; the answers must stay finite and raise nothing that
// the program traps.
TEST(DragCoefficient, NegativeAndNonFiniteMachAreHarmless) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(dragCoefficient(standardDragModel(), -0.7), 0.4);
  EXPECT_EQ(dragCoefficient(standardDragModel(), -inf), 0.4);
  EXPECT_EQ(dragCoefficient(standardDragModel(), nan), 0.4);
  EXPECT_EQ(dragCoefficient(standardDragModel(), inf), 0.55);
  EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
}

}  // namespace
}  // namespace ascent
