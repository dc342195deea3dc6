// ascent.trade: what one unit of each vehicle value is worth in spacecraft mass.
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <optional>

#include "bindings.h"

namespace ascent::python {

namespace {

// The rows, largest effect first; NaN where a row has no number.
Table tradeTable(const std::vector<TradeRow>& rows) {
  const double none = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> value, step, ratio, error, below, above, effect;
  py::list key, unit, status, reason, ratioUnits;
  for (const TradeRow& row : rows) {
    const bool ok = row.status == TradeStatus::Ok;
    key.append(row.key);
    unit.append(row.unit);
    value.push_back(row.value);
    step.push_back(row.step);
    status.append(std::string(tradeStatusName(row.status)));
    reason.append(row.reason);
    ratio.push_back(ok ? row.ratio : none);
    ratioUnits.append(ratioUnit(row.unit));
    error.push_back(ok ? row.error : none);
    below.push_back(ok ? row.below_kg : none);
    above.push_back(ok ? row.above_kg : none);
    effect.push_back(ok ? row.effect_kg : none);
  }
  const py::object strings = py::module_::import("numpy").attr("array");
  Table t;
  t.rows = rows.size();
  t.columns["key"] = strings(key, "U");
  t.columns["unit"] = strings(unit, "U");
  t.columns["value"] = column(std::move(value));
  t.columns["step"] = column(std::move(step));
  t.columns["status"] = strings(status, "U");
  t.columns["reason"] = strings(reason, "U");
  t.columns["ratio"] = column(std::move(ratio));
  t.columns["ratio_unit"] = strings(ratioUnits, "U");
  t.columns["error"] = column(std::move(error));
  t.columns["below_kg"] = column(std::move(below));
  t.columns["above_kg"] = column(std::move(above));
  t.columns["effect_1pct_kg"] = column(std::move(effect));
  return t;
}

py::dict trade(std::optional<double> turnTime_s, bool reoptimize,
               std::optional<std::vector<std::string>> keys, const Vehicle* vehicle,
               py::object thrust, unsigned jobs) {
  if (turnTime_s.has_value() == reoptimize) {
    throw py::value_error("give turn_time_s or optimize=True (one of them)");
  }
  if (turnTime_s) {
    if (const std::string problem = turnTimeProblem(*turnTime_s); !problem.empty()) {
      throw py::value_error(problem);
    }
  }
  if (keys && keys->empty()) throw py::value_error("keys: name at least one key (None: every key)");
  const std::vector<std::string> traded = keys.value_or(std::vector<std::string>{});
  for (const std::string& key : traded) {
    if (findVehicleKey(key) == nullptr) {
      const std::string nearest = nearestVehicleKey(key);
      raise("UnknownKeyError",
            "'" + key + "' is not a vehicle key" +
                (nearest.empty() ? "" : "; did you mean " + nearest + "?"),
            py::dict(py::arg("key") = key));
    }
  }
  TradeSettings settings;
  settings.reoptimize = reoptimize;
  if (turnTime_s) settings.turnTime_s = *turnTime_s;
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);
  const TradeResult result = withoutLock(
      [&] { return tradeRatios(records, flown, traded, settings, jobs, checkingSignals()); });

  py::dict out;
  out["base_feasible"] = result.baseFeasible;
  out["reason"] = result.baseReason;
  out["reoptimized"] = reoptimize;
  py::object none = py::none();
  out["turn_time_s"] = none;
  out["SC_M_kg"] = none;
  out["SC_M_unrounded_kg"] = none;
  out["mission"] = none;
  if (result.baseFeasible) {
    const MissionResult& base = result.base.mission;
    out["turn_time_s"] = result.base.turnTime_s;
    out["SC_M_kg"] = base.sizing.SC_M;
    out["SC_M_unrounded_kg"] = base.sizing.SC_M_unrounded;
    out["mission"] = flightObject(base, settings.optimize.target.minimumPerigee_m);
  }
  out["relative_step"] = settings.relativeStep;
  out["missions"] = result.missions;
  out["trades"] = py::cast(tradeTable(result.baseFeasible ? result.rows : std::vector<TradeRow>{}));
  return out;
}

}  // namespace

void bindTrade(py::module_& m) {
  m.def("trade", &trade, py::arg("turn_time_s") = py::none(), py::kw_only(),
        py::arg("optimize") = false, py::arg("keys") = py::none(), py::arg("vehicle") = nullptr,
        py::arg("thrust") = py::none(), py::arg("jobs") = 0u,
        R"(Exchange ratios: the spacecraft mass SC_M bought by one unit of each vehicle
key (`keys`; None: every key), by central differences over 1 % and 2 % of
the value with the orbit targeted again for every changed vehicle, at the
fixed turn_time_s or (optimize=True) at the best turn time of each changed
vehicle; on `jobs` threads (0: the machine's cores) with the interpreter lock
released. Returns a dict with the keys of the command line's JSON:
base_feasible, reason (why not), reoptimized, turn_time_s, SC_M_kg,
SC_M_unrounded_kg, relative_step, missions, mission (the base's Flight) and
trades: a Table, largest effect first (key, unit, value, step, status,
reason, ratio, ratio_unit, error, below_kg, above_kg, effect_1pct_kg; NaN
where a key could not be traded). Ctrl-C (KeyboardInterrupt) ends it.)");
}

}  // namespace ascent::python
