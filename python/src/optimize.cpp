// ascent.optimize: the turn time that gives the heaviest spacecraft.
#include <cmath>
#include <limits>

#include "bindings.h"

namespace ascent::python {

namespace {

// Every turn time targeted, in the order targeted.
Table candidateTable(const std::vector<SweepRow>& rows) {
  const double none = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> turnTime, limit, scm, unrounded;
  std::vector<std::int64_t> missions;
  py::list verdicts;
  for (const SweepRow& row : rows) {
    const bool has = row.hasMission;
    turnTime.push_back(row.turnTime_s);
    verdicts.append(py::str(candidateVerdict(row)));
    missions.push_back(static_cast<std::int64_t>(row.missions));
    limit.push_back(has ? row.mission.limitDeg : none);
    scm.push_back(has ? row.mission.sizing.SC_M : none);
    unrounded.push_back(has ? row.mission.sizing.SC_M_unrounded : none);
  }
  Table t;
  t.rows = rows.size();
  t.columns["turn_time_s"] = column(std::move(turnTime));
  t.columns["verdict"] = py::module_::import("numpy").attr("array")(verdicts, "U");
  t.columns["missions"] = column(std::move(missions));
  t.columns["limit_deg"] = column(std::move(limit));
  t.columns["SC_M_kg"] = column(std::move(scm));
  t.columns["SC_M_unrounded_kg"] = column(std::move(unrounded));
  return t;
}

py::dict optimize(double from_s, double to_s, const Vehicle* vehicle, py::object thrust,
                  unsigned jobs) {
  if (!(from_s >= 1) || !(from_s <= to_s) || !std::isfinite(to_s)) {
    throw py::value_error("the turn-time range needs 1 <= turn_time_from_s <= turn_time_to_s");
  }
  OptimizeSettings settings;
  settings.from_s = from_s;
  settings.to_s = to_s;
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);
  const OptimizeResult result = withoutLock(
      [&] { return optimizeTurnTime(records, flown, settings, jobs, checkingSignals()); });

  py::dict out;
  out["from_s"] = from_s;
  out["to_s"] = to_s;
  out["found"] = result.found();
  out["missions"] = result.missions;
  out["turn_times_targeted"] = result.candidates.size();
  out["scanned"] = result.scanned;
  py::object none = py::none();
  out["turn_time_s"] = none;
  out["limit_deg"] = none;
  out["SC_M_kg"] = none;
  out["SC_M_unrounded_kg"] = none;
  out["flat_top"] = none;
  out["mission"] = none;
  if (result.found()) {
    const SweepRow& best = result.optimum();
    out["turn_time_s"] = best.turnTime_s;
    out["limit_deg"] = best.mission.limitDeg;
    out["SC_M_kg"] = best.mission.sizing.SC_M;
    out["SC_M_unrounded_kg"] = best.mission.sizing.SC_M_unrounded;
    out["flat_top"] =
        py::dict(py::arg("from_s") = result.flatFrom_s, py::arg("to_s") = result.flatTo_s,
                 py::arg("turn_times") = result.flatCount);
    out["mission"] = flightObject(best.mission, settings.target.minimumPerigee_m);
  }
  out["candidates"] = py::cast(candidateTable(result.candidates));
  return out;
}

}  // namespace

void bindOptimize(py::module_& m) {
  m.def("optimize", &optimize, py::arg("turn_time_from_s") = 5.0, py::arg("turn_time_to_s") = 120.0,
        py::kw_only(), py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(),
        py::arg("jobs") = 0u,
        R"(The turn time between turn_time_from_s and turn_time_to_s that gives the
largest spacecraft mass SC_M with propellant left: a coarse scan on `jobs`
threads (0: the machine's cores), then a golden-section search, with the
interpreter lock released. Returns a dict with the keys of the command
line's JSON: from_s, to_s, found, missions, turn_times_targeted, scanned,
turn_time_s, limit_deg, SC_M_kg, SC_M_unrounded_kg, flat_top {from_s, to_s,
turn_times} and mission (a Flight), all None when no turn time is a design;
candidates: a Table of every turn time targeted (turn_time_s, verdict,
missions, limit_deg, SC_M_kg, SC_M_unrounded_kg; NaN without a mission).
Ctrl-C (KeyboardInterrupt) ends the search.)");
}

}  // namespace ascent::python
