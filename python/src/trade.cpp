// ascent.trade: what one unit of each vehicle value is worth in spacecraft
// mass, as the object `ascent trade --json` prints.
#include <pybind11/stl.h>

#include "bindings.h"

namespace ascent::python {

namespace {

// Raises UnknownKeyError for a name that is not a vehicle key and ValueError
// for any other problem of the list, in the words of the command line.
void checkKeys(const std::vector<std::string>& keys) {
  const std::string problem = tradeKeysProblem(keys);
  if (problem.empty()) return;
  for (const std::string& key : keys) {
    if (findVehicleKey(key) == nullptr)
      raise("UnknownKeyError", problem, py::dict(py::arg("key") = key));
  }
  throw py::value_error(problem);
}

py::object trade(std::optional<double> turnTime_s, bool reoptimize,
                 const std::optional<std::vector<std::string>>& keys, double relativeStep,
                 double altitude_m, double tolerance_m, int maxMissions, double firstGuess_deg,
                 double minimumPerigee_m, const Vehicle* vehicle, py::object thrust,
                 const std::optional<long long>& jobs) {
  if (turnTime_s.has_value() == reoptimize) {
    throw py::value_error("give turn_time_s or optimize=True (one of them)");
  }
  TradeSettings settings;
  settings.reoptimize = reoptimize;
  if (turnTime_s) settings.turnTime_s = *turnTime_s;
  settings.relativeStep = relativeStep;
  settings.optimize.search = {altitude_m, tolerance_m, maxMissions, firstGuess_deg,
                              minimumPerigee_m};
  if (keys) {
    checkKeys(*keys);
    settings.keys = *keys;
  }
  return runDesignStudy(
      settings, jobs, vehicle, std::move(thrust),
      [](auto&&... study) { return tradeRatios(study...); },
      [&](const TradeResult& result, const DesignInputs& inputs) {
        py::object object = py::cast(Result{tradeValue(result, settings, inputs)});
        object.attr("trades") = py::cast(tableOf(tradeRowSchema(), result.rows));
        return object;
      });
}

}  // namespace

void bindTrade(py::module_& m) {
  m.def("trade", &trade, py::arg("turn_time_s") = py::none(), py::kw_only(),
        py::arg("optimize") = false, py::arg("keys") = py::none(), py::arg("relative_step") = 0.01,
        py::arg("altitude_m") = 200e3, py::arg("tolerance_m") = 100.0, py::arg("max_missions") = 25,
        py::arg("first_guess_deg") = 25.0, py::arg("min_perigee_m") = 100e3,
        py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(), py::arg("jobs") = py::none(),
        R"(Exchange ratios: the spacecraft mass SC_M bought by one unit of each vehicle
key (`keys`: a list, not empty, no key twice; None: every key), by central
differences over relative_step and twice it of the value, with the orbit
targeted again for every changed vehicle, at the fixed turn_time_s or
(optimize=True) at the best turn time of each changed vehicle; on `jobs`
threads (None: the machine's cores; else 1 to 1024) with the interpreter lock
released. A name that is not a key raises UnknownKeyError; any other value
outside its domain is a ValueError in the words of the command line; a
thrust history that cannot be flown is ThrustFileError (code 106), a vehicle
whose values cannot VehicleError.

Returns a Result: to_dict() is the object `ascent trade --json` prints for the
same inputs (reoptimized, turn_time_s, SC_M_kg, SC_M_unrounded_kg,
relative_step, missions, trades, ...; base_feasible false and the reason when
the vehicle as given has no design), and result.trades is a Table of the
rows, largest effect first, with the columns of `ascent trade --csv` (NaN
where a key could not be traded). Ctrl-C (KeyboardInterrupt) ends it.)");
}

}  // namespace ascent::python
