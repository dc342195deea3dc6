// ascent.trade: what one unit of each vehicle value is worth in spacecraft
// mass, as the object `ascent trade --json` prints.
#include "ascent/trade.h"

#include <pybind11/stl.h>

#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

struct Trade : Result {
  Table trades;
};

Trade trade(std::optional<double> turnTime_s, bool reoptimize,
            const std::optional<std::vector<std::string>>& keys, double relativeStep,
            double targetAltitude_m, double tolerance_m, int maxMissions, double firstGuess_deg,
            double minimumPerigee_m, const Vehicle* vehicle, py::object thrust,
            const std::optional<long long>& jobs) {
  // As the command line takes --turn-time or --optimize, one of them.
  if (turnTime_s.has_value() == reoptimize) {
    throw InputError({"give turn_time_s or optimize=True (one of them)"}, "turn_time_s");
  }
  TradeSettings settings;
  settings.reoptimize = reoptimize;
  if (turnTime_s) settings.turnTime_s = *turnTime_s;
  settings.relativeStep = relativeStep;
  settings.optimize.search = searchSettings(targetAltitude_m, tolerance_m, maxMissions,
                                            firstGuess_deg, minimumPerigee_m, std::nullopt);
  if (keys) {
    // The settings hold every key as no key: a list given empty names none,
    // refused as the command line refuses --keys ''.
    if (keys->empty()) refuseSetting({"keys", tradeKeysProblem(*keys)});
    settings.keys = *keys;
  }
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  Interruptible<> observer;
  const TradeResult result =
      withoutLock([&] { return runTrade(flying.inputs(), settings, threads, &observer); });
  Trade t;
  t.value = tradeValue(result);
  t.trades = tableOf(tradeRowSchema(), result.rows);
  return t;
}

}  // namespace

void bindTrade(py::module_& m) {
  py::class_<Trade, Result> tradeClass(m, "Trade",
                                       R"(Exchange ratios of spacecraft mass against vehicle values.

The attributes are the fields of `ascent trade --json`, under the same names;
to_dict() equals json.loads of its output for the same inputs. trades is a
Table of the rows with the columns of `ascent trade --csv` (no rows when the
vehicle as given has no design): the keys that change the flight, the
re-sizing's keys, the ratios short of propellant, those of no effect and
those that could not be traded, each largest effect first.)");
  addFieldAttributes(tradeClass, tradeSchema(), {"trades"});
  tradeClass.def_readonly("trades", &Trade::trades,
                          "one row per key: key, unit, value, step, status, changes_flight, "
                          "moved_with, ratio, ratio_unit, error, below_kg, above_kg, "
                          "effect_1pct_kg, short_of_propellant_kg, reason");

  const TradeSettings defaults;
  const SearchSettings& search = defaults.optimize.search;
  defineFunction(
      m, "trade", &trade,
      R"(Exchange ratios: the spacecraft mass SC_M bought by one unit of each vehicle
key (`keys`: a list, not empty, no key twice; None: every key), by central
differences over relative_step and twice it of the value, each moved with
what follows from it (the booster scales with the propellant they burn),
with the orbit targeted again for every changed vehicle, at the fixed turn_time_s or
(optimize=True) at the best turn time of each changed vehicle (one of them);
on `jobs` threads (None: the machine's cores; else 1 to 1024) with the
interpreter lock released. The search settings are target()'s. A value
outside its domain, a name that is not a key or a key named twice raises
InputError (a ValueError) naming the setting, in the words of the command
line; a thrust history that cannot be flown is ThrustFileError (code 106), a
vehicle whose values cannot VehicleError.

Returns a Trade: to_dict() is the object `ascent trade --json` prints for the
same inputs (reoptimized, turn_time_s, SC_M_kg, SC_M_unrounded_kg,
relative_step, missions, trades, ...; base_feasible false and the reason when
the vehicle as given has no design), each also an attribute; .trades is a
Table of the rows in the command's order, with the columns of `ascent trade
--csv` (NaN where a key could not be traded); a row whose ratio is built on
a flight short of propellant has the status short_of_propellant and is never
ranked as a gain. Ctrl-C (KeyboardInterrupt) ends it.)",
      py::arg("turn_time_s") = py::none(), py::kw_only(), py::arg("optimize") = defaults.reoptimize,
      py::arg("keys") = py::none(), py::arg("relative_step") = defaults.relativeStep,
      py::arg("target_altitude_m") = search.targetAltitude_m,
      py::arg("tolerance_m") = search.tolerance_m, py::arg("max_missions") = search.maxMissions,
      py::arg("first_guess_deg") = search.firstGuess_deg,
      py::arg("minimum_perigee_m") = search.minimumPerigee_m, py::arg("vehicle") = nullptr,
      py::arg("thrust") = py::none(), py::arg("jobs") = py::none());
}

}  // namespace ascent::python
