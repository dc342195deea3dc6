// One changed vehicle of a trade, flown; and the row of a key from the five
// evaluations around it.
#pragma once

#include <string>
#include <vector>

#include "ascent/trade.h"

namespace ascent {

// A vehicle with one key moved and what moves with it; `problem` when the
// change cannot be made (a given value its relations refuse, boosters that
// do not reach separation).
struct ChangedVehicle {
  Vehicle vehicle;
  std::vector<std::string> moved;
  std::string problem;
  std::size_t missions = 0;  // the booster phases flown to match the propellant
};

// One vehicle flown: its design, or why there is none.
struct Evaluation {
  TradeStatus status = TradeStatus::Ok;
  std::string reason;
  SweepRow row;
  std::size_t missions = 0;
  std::vector<std::string> moved;  // the keys moved with the one traded
};

// The key's row from the base and the four evaluations of values[0 .. 3]
// (-2, -1, +1 and +2 steps).
TradeRow tradeRow(const VehicleKey& key, const Vehicle& vehicle, const Evaluation& base,
                  const Evaluation* four, const double* values);

// Ok rows that change the flight, Ok rows of the re-sizing's keys, rows
// short of propellant, rows of no effect, then the rest; each by |effect|
// descending, the order of the keys among equals.
void sortTradeRows(std::vector<TradeRow>& rows);

}  // namespace ascent
