// ascent.fly and ascent.Flight: one mission, its summary and its trajectory.
#include <array>
#include <cmath>

#include "bindings.h"

namespace ascent::python {

namespace {

// The trajectory as the command line's CSV has it: the pad row, then every
// integration step, in the same units.
constexpr std::array<const char*, 10> trajectoryColumns = {"time_s",
                                                           "speed_mps",
                                                           "altitude_km",
                                                           "downrange_km",
                                                           "thrust_acceleration_mps2",
                                                           "dynamic_pressure_kPa",
                                                           "angle_of_attack_deg",
                                                           "inertial_flight_path_deg",
                                                           "air_flight_path_deg",
                                                           "mass_kg"};

class TrajectoryRecorder final : public MissionObserver {
 public:
  TrajectoryRecorder() {
    for (auto& values : columns_) values.reserve(1024);
  }
  void padRow(const StepRow& row) override { step(row); }
  void step(const StepRow& row) override {
    const std::array<double, 10> values = {row.t_s,
                                           row.vi_mps,
                                           row.h_m / 1000,
                                           row.range_m / 1000,
                                           row.a_mps2,
                                           row.q_Pa / 1000,
                                           degreesFromRadians(row.alpha_rad),
                                           degreesFromRadians(row.beta_rad),
                                           degreesFromRadians(row.theta_rad),
                                           row.mass_kg};
    for (std::size_t i = 0; i < values.size(); ++i) columns_[i].push_back(values[i]);
  }
  py::object table() {
    Table t;
    t.rows = columns_[0].size();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      t.columns[trajectoryColumns[i]] = column(std::move(columns_[i]));
    }
    return py::cast(std::move(t));
  }

 private:
  std::array<std::vector<double>, 10> columns_;
};

struct Flight {
  MissionResult r;
  double minimumPerigee_m;
  py::object trajectory;
};

py::object fly(double turnTime_s, double limitDeg, const Vehicle* vehicle, py::object thrust,
               bool trajectory, double minimumPerigee_km) {
  if (const std::string problem = turnTimeProblem(turnTime_s); !problem.empty()) {
    throw py::value_error(problem);
  }
  if (!std::isfinite(minimumPerigee_km)) throw py::value_error("min_perigee_km must be finite");
  // A copy: another thread may change the caller's vehicle while this one flies.
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);
  TrajectoryRecorder recorder;
  MissionResult result;
  {
    py::gil_scoped_release unlocked;
    RunRecord run;
    result =
        flyMission(records, flown, turnTime_s, limitDeg, run, trajectory ? &recorder : nullptr);
  }
  if (result.outcome == Outcome::Failed) {
    raise("FlightFailed",
          "failed (" + std::to_string(result.failureCode) + "): " + result.failureReason,
          py::dict(py::arg("code") = result.failureCode, py::arg("reason") = result.failureReason,
                   py::arg("turn_time_s") = turnTime_s, py::arg("limit_deg") = limitDeg));
  }
  return flightObject(std::move(result), minimumPerigee_km * 1000,
                      trajectory ? recorder.table() : py::none());
}

}  // namespace

py::object flightObject(MissionResult result, double minimumPerigee_m, py::object trajectory) {
  return py::cast(Flight{std::move(result), minimumPerigee_m, std::move(trajectory)});
}

void bindFlight(py::module_& m) {
  py::class_<Peaks>(m, "Peaks", "Peaks of thrust acceleration and dynamic pressure.")
      .def_readonly("max_acceleration_mps2", &Peaks::maxAccel_mps2)
      .def_readonly("max_acceleration_time_s", &Peaks::maxAccelTime_s)
      .def_readonly("max_dynamic_pressure_Pa", &Peaks::maxQ_Pa)
      .def_readonly("max_dynamic_pressure_time_s", &Peaks::maxQTime_s);

  py::class_<UpperStageSizing>(
      m, "Sizing",
      "The upper stage re-sized from the flight's peak force and remaining propellant.")
      .def_readonly("S3_Mt_kg", &UpperStageSizing::S3_Mt, "interstage, third stage and payload")
      .def_readonly("S3_Mi_kg", &UpperStageSizing::S3_Mi, "interstage")
      .def_readonly("S3_Mp1_kg", &UpperStageSizing::S3_Mp1, "start-up propellant")
      .def_readonly("S3_Mp2_kg", &UpperStageSizing::S3_Mp2, "mainstage propellant used")
      .def_readonly("propellant_total_kg", &UpperStageSizing::propellantTotal,
                    "propellant loaded, reserve included")
      .def_readonly("reserve_kg", &UpperStageSizing::reserve, "propellant reserve")
      .def_readonly("S3_Ms_kg", &UpperStageSizing::S3_Ms, "cutoff mass")
      .def_readonly("rcs_propellant_kg", &UpperStageSizing::rcsPropellant, "RCS propellant")
      .def_readonly("dry_mass_kg", &UpperStageSizing::dryMass, "dry mass")
      .def_readonly("S3_Mup_kg", &UpperStageSizing::S3_Mup, "ullage motor propellant")
      .def_readonly("S3_Mus_kg", &UpperStageSizing::S3_Mus, "ullage motor empty mass")
      .def_readonly("S3_Fu_N", &UpperStageSizing::S3_Fu, "ullage motor vacuum thrust")
      .def_readonly("SC_M_kg", &UpperStageSizing::SC_M, "spacecraft mass");

  using R = MissionResult;
  auto value = [](double R::*member) { return [member](const Flight& f) { return f.r.*member; }; };
  // A value the mission never computed is None, not 0 (as in the command line's JSON).
  auto ifOrbit = [](double R::*member) {
    return [member](const Flight& f) -> py::object {
      if (f.r.outcome != Outcome::Orbit) return py::none();
      return py::float_(f.r.*member);
    };
  };
  py::class_<Flight>(m, "Flight",
                     R"(One mission flown: its summary and, when asked for, its trajectory.

outcome is "orbit" or "abandoned" (abandon_reason says why); flight_class
also tells a suborbital or escape trajectory from an orbit. Altitudes are
above the spherical Earth. The names and values are those of the command
line's JSON; values a mission did not compute (the orbit of an abandoned
mission) are None.)")
      .def_property_readonly("turn_time_s", value(&R::turnTime_s))
      .def_property_readonly("limit_deg", value(&R::limitDeg), "maximum angle of attack as given")
      .def_property_readonly("limit_rad", value(&R::limit_rad))
      .def_property_readonly("outcome",
                             [](const Flight& f) { return std::string(outcomeName(f.r.outcome)); })
      .def_property_readonly("abandon_reason",
                             [](const Flight& f) -> py::object {
                               if (f.r.outcome != Outcome::Abandoned) return py::none();
                               return py::str(abandonReasonName(f.r.abandonReason));
                             })
      .def_property_readonly(
          "flight_class",
          [](const Flight& f) {
            return std::string(flightClassName(classifyFlight(f.r, f.minimumPerigee_m)));
          },
          "orbit, suborbital (perigee below min_perigee_km), escape, abandoned or failed")
      .def_property_readonly(
          "outside_design", [](const Flight& f) { return outsideDesign(f.r); },
          "an orbit whose re-sized upper stage leaves no spacecraft mass")
      .def_property_readonly(
          "failure_code",
          [](const Flight& f) -> py::object {
            if (f.r.outcome != Outcome::Failed) return py::none();
            return py::int_(f.r.failureCode);
          },
          "the run-time error number of a failed mission (in Target.flown), else None")
      .def_property_readonly("failure_reason",
                             [](const Flight& f) -> py::object {
                               if (f.r.outcome != Outcome::Failed) return py::none();
                               return py::str(f.r.failureReason);
                             })
      .def_property_readonly("perigee_m", ifOrbit(&R::perigee_m))
      .def_property_readonly("apogee_m", ifOrbit(&R::apogee_m))
      .def_property_readonly("average_altitude_m", ifOrbit(&R::averageAltitude_m))
      .def_property_readonly("altitude_half_range_m", ifOrbit(&R::altitudeHalfRange_m))
      .def_property_readonly("remaining_propellant_kg", ifOrbit(&R::remainingPropellant_kg),
                             "upper-stage propellant left (negative: overdrawn)")
      .def_property_readonly("delta_v_mps", ifOrbit(&R::deltaV_mps))
      .def_property_readonly("max_force_N", value(&R::maxForce_N))
      .def_property_readonly("max_force_time_s", value(&R::maxForceTime_s))
      .def_property_readonly("liftoff_thrust_N", value(&R::liftoffThrust_N))
      .def_property_readonly("liftoff_acceleration_mps2", value(&R::liftoffAcceleration_mps2))
      .def_property_readonly("liftoff_mass_kg", value(&R::liftoffMass_kg))
      .def_property_readonly("booster_residual_kg", value(&R::boosterResidual_kg))
      .def_property_readonly("peaks", [](const Flight& f) { return f.r.missionPeaks; })
      .def_property_readonly(
          "sizing",
          [](const Flight& f) -> py::object {
            if (f.r.outcome != Outcome::Orbit) return py::none();
            return py::cast(f.r.sizing);
          },
          "the re-sized upper stage (orbit only)")
      .def_property_readonly(
          "sc_m_kg",
          [](const Flight& f) -> py::object {
            if (f.r.outcome != Outcome::Orbit) return py::none();
            return py::float_(f.r.sizing.SC_M);
          },
          "spacecraft mass of the re-sized upper stage (orbit only)")
      .def_property_readonly("recommended_limit_rad", ifOrbit(&R::recommendedLimit_rad))
      .def_property_readonly("recommended_limit_deg", ifOrbit(&R::recommendedLimitDeg))
      .def_property_readonly("steps", [](const Flight& f) { return f.r.steps; })
      .def_readonly("trajectory", &Flight::trajectory,
                    "a Table of every integration step (fly(..., trajectory=True)), else None")
      .def("__repr__", [](const Flight& f) {
        std::string text =
            "Flight(turn_time_s=" + py::repr(py::float_(f.r.turnTime_s)).cast<std::string>() +
            ", limit_deg=" + py::repr(py::float_(f.r.limitDeg)).cast<std::string>() +
            ", outcome='" + std::string(outcomeName(f.r.outcome)) + "'";
        if (f.r.outcome == Outcome::Orbit) {
          text += ", perigee_m=" + py::repr(py::float_(f.r.perigee_m)).cast<std::string>() +
                  ", apogee_m=" + py::repr(py::float_(f.r.apogee_m)).cast<std::string>();
        }
        return text + ")";
      });

  m.def("fly", &fly, py::arg("turn_time_s"), py::arg("limit_deg"), py::arg("vehicle") = nullptr,
        py::arg("thrust") = py::none(), py::arg("trajectory") = false, py::kw_only(),
        py::arg("min_perigee_km") = 100.0,
        R"(Flies one mission: the gravity turn held for turn_time_s (at least 1 s), the
core and upper stages steered under limit_deg (the maximum angle of attack).

vehicle: a Vehicle (None: the default vehicle); thrust: a ThrustHistory (None:
the one shipped with the package). With trajectory=True the Flight's
trajectory holds every integration step. An orbit whose perigee is below
min_perigee_km is "suborbital" in flight_class. The interpreter lock is released
while flying. Raises FlightFailed (with the run-time error number as code) when
the mission cannot be flown, VehicleError when the vehicle cannot.)");
}

}  // namespace ascent::python
