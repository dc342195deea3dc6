// The results of the design studies as every writer sees them: the row of a
// sweep (its CSV and the Python table), a candidate of an optimization, a
// trade's row (its CSV and JSON), and the whole result of an optimization and
// a trade as the value their --json prints and Python's to_dict() returns.
//
// A result also says what it was computed from: the thrust file as named and
// the vehicle (DesignInputs); its mission is the flight's own object.
#pragma once

#include <string>

#include "ascent/results.h"
#include "ascent/schema.h"
#include "ascent/study.h"
#include "ascent/trade.h"

namespace ascent {

// turn_time_s, limit_deg, verdict, missions, perigee_m, apogee_m,
// average_altitude_m, remaining_propellant_kg, SC_M_kg,
// max_dynamic_pressure_Pa, max_acceleration_mps2, max_force_N; the mission's
// numbers are null for a turn time where no mission reached an orbit.
Schema<SweepRow> sweepSchema();

// turn_time_s, verdict (candidateVerdict), missions, limit_deg, SC_M_kg,
// SC_M_unrounded_kg.
Schema<SweepRow> candidateSchema();

// key, unit, value, step, status, ratio, ratio_unit, error, below_kg,
// above_kg, effect_1pct_kg, reason; the numbers of a key that could not be
// traded are null, and so is the error when the larger steps could not be
// flown.
Schema<TradeRow> tradeRowSchema();

// What a design result says of its inputs.
struct DesignInputs {
  std::string thrustFile;  // as named on the command line, or the history's name
  Value vehicle;           // the vehicle's object (vehicleValue)
};

// program, version, thrust_file, from_s, to_s, constraints (when set),
// found, missions, turn_times_targeted, scanned; when found turn_time_s,
// limit_deg, SC_M_kg, SC_M_unrounded_kg, flat_top {from_s, to_s,
// turn_times}, at_range_edge and mission; then candidates (candidateSchema)
// and vehicle.
Value optimizeValue(const OptimizeResult& result, const OptimizeSettings& settings,
                    const DesignInputs& inputs);

// program, version, thrust_file, reoptimized, turn_time_s, SC_M_kg,
// SC_M_unrounded_kg, relative_step, missions, trades (tradeRowSchema),
// vehicle; for a vehicle without a design as given: program, version,
// thrust_file, base_feasible (false), reason, missions, vehicle.
Value tradeValue(const TradeResult& result, const TradeSettings& settings,
                 const DesignInputs& inputs);

}  // namespace ascent
