// Constants of the vehicle shared by more than one phase.
#pragma once

namespace ascent {

constexpr double coreThrust = 9115295.04;                // N, vacuum thrust of the core engines
constexpr double coreExhaustVelocity = 4436.5;           // m/s, core flow = thrust / 4436.5
constexpr double coreExitArea = 16.68220083888478;       // m^2, core nozzle exits together
constexpr double loadPathDiameterSquared = 70.68437476;  // m^2, core and upper-stage diameter^2
constexpr double ullageThrust = 87998.0;                 // N, ullage motors together, vacuum
constexpr double ullageCantDeg = 30.0;                   // deg, cant of the ullage nozzles
constexpr double ullageMassFlow = 40.310077519379846;    // kg/s, 156 kg in 3.87 s
constexpr double ullagePropellant = 156.0;               // kg
constexpr double startupPropellant = 771.0;              // kg, burned on the main-engine ramp
// m^2, added to the reference area of the stacks that fly through the
// atmosphere with the core stage: the protuberances along it.
constexpr double protuberanceArea = 0.235;

}  // namespace ascent
