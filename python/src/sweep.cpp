// ascent.sweep: every turn time of a list targeted, one row each, on threads.
#include <atomic>

#include "bindings.h"

namespace ascent::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::object sweep(const Doubles& turnTimes, double altitude_km, double tolerance_km, int maxMissions,
                 double firstGuessDeg, double minimumPerigee_km, const Vehicle* vehicle,
                 py::object thrust, unsigned jobs) {
  if (turnTimes.ndim() != 1) throw py::value_error("turn_times must be one-dimensional");
  const std::vector<double> times(turnTimes.data(), turnTimes.data() + turnTimes.size());
  for (double t : times) {
    if (const std::string problem = turnTimeProblem(t); !problem.empty()) {
      throw py::value_error(problem);
    }
  }
  const TargetSettings settings =
      targetSettings(altitude_km, tolerance_km, maxMissions, firstGuessDeg, minimumPerigee_km);
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);

  std::vector<SweepRow> rows;
  rows.reserve(times.size());
  // Rows are delivered on this thread: there, between rows, Python's signal
  // handlers run (Ctrl-C ends the sweep with KeyboardInterrupt).
  std::atomic<bool> interrupted{false};
  {
    py::gil_scoped_release unlocked;
    sweepTurnTimes(
        records, flown, times, settings, jobs,
        [&rows, &interrupted](const SweepRow& row) {
          rows.push_back(row);
          py::gil_scoped_acquire locked;
          if (PyErr_CheckSignals() != 0) interrupted = true;
        },
        [&interrupted] { return interrupted.load(); });
  }
  if (interrupted) throw py::error_already_set();
  const std::size_t best = bestDesign(rows);

  // Rows without a mission (no orbit reached) have NaN in the mission's columns.
  const double none = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> turnTime, limit, perigee, apogee, average, propellant, scm, maxQ, maxAccel,
      maxForce;
  std::vector<std::int64_t> missions;
  py::list verdicts;
  for (const SweepRow& row : rows) {
    const MissionResult& r = row.mission;
    const bool has = row.hasMission;
    turnTime.push_back(row.turnTime_s);
    verdicts.append(py::str(verdictName(row.verdict)));
    missions.push_back(static_cast<std::int64_t>(row.missions));
    limit.push_back(has ? r.limitDeg : none);
    perigee.push_back(has ? r.perigee_m : none);
    apogee.push_back(has ? r.apogee_m : none);
    average.push_back(has ? r.averageAltitude_m : none);
    propellant.push_back(has ? r.remainingPropellant_kg : none);
    scm.push_back(has ? r.sizing.SC_M : none);
    maxQ.push_back(has ? r.missionPeaks.maxQ_Pa : none);
    maxAccel.push_back(has ? r.missionPeaks.maxAccel_mps2 : none);
    maxForce.push_back(has ? r.maxForce_N : none);
  }
  Table t;
  t.rows = rows.size();
  t.columns["turn_time_s"] = column(std::move(turnTime));
  t.columns["limit_deg"] = column(std::move(limit));
  t.columns["verdict"] = py::module_::import("numpy").attr("array")(verdicts, "U");
  t.columns["missions"] = column(std::move(missions));
  t.columns["perigee_m"] = column(std::move(perigee));
  t.columns["apogee_m"] = column(std::move(apogee));
  t.columns["average_altitude_m"] = column(std::move(average));
  t.columns["remaining_propellant_kg"] = column(std::move(propellant));
  t.columns["sc_m_kg"] = column(std::move(scm));
  t.columns["max_dynamic_pressure_Pa"] = column(std::move(maxQ));
  t.columns["max_acceleration_mps2"] = column(std::move(maxAccel));
  t.columns["max_force_N"] = column(std::move(maxForce));
  py::object table = py::cast(std::move(t));
  table.attr("best") = best < rows.size() ? py::int_(best) : py::object(py::none());
  return table;
}

}  // namespace

void bindSweep(py::module_& m) {
  m.def("sweep", &sweep, py::arg("turn_times"), py::kw_only(), py::arg("altitude_km") = 200.0,
        py::arg("tolerance_km") = 0.1, py::arg("max_missions") = 25,
        py::arg("first_guess_deg") = 25.0, py::arg("min_perigee_km") = 100.0,
        py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(), py::arg("jobs") = 0u,
        R"(Targets every turn time of turn_times (each from the same first guess, as
target() does) on `jobs` threads (0: the machine's cores), with the interpreter
lock released. Returns a Table, one row per turn time: turn_time_s, limit_deg,
verdict, missions, perigee_m, apogee_m, average_altitude_m,
remaining_propellant_kg, sc_m_kg, max_dynamic_pressure_Pa,
max_acceleration_mps2, max_force_N (NaN where no orbit was reached), and
.best: the row of the converged design with the largest spacecraft mass among
those with propellant left, or None. The rows are the same for any `jobs`.
Ctrl-C (KeyboardInterrupt) ends the sweep between rows.)");
}

}  // namespace ascent::python
