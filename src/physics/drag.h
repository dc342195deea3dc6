// Drag coefficient of the vehicle as a function of Mach number alone.
#pragma once

namespace ascent {

double dragCoefficient(double mach);

}  // namespace ascent
