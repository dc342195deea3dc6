// What a dispersion campaign gives, described once (ascent/campaign.h): the
// columns of its rows and the object of its summary.
#include <array>
#include <utility>

#include "ascent/campaign.h"

namespace ascent {

namespace {

constexpr std::size_t index(CampaignOutput output) {
  return static_cast<std::size_t>(output);
}

Value runValue(const CampaignRow& row) {
  return row.run;
}
Value outcomeValue(const CampaignRow& row) {
  return flightClassName(row.flightClass);
}
Value reasonValue(const CampaignRow& row) {
  return row.reason;
}
template <double CampaignRow::*member>
Value decisionValue(const CampaignRow& row) {
  return row.*member;
}
Value targetingValue(const CampaignRow& row) {
  return row.targeting ? Value(verdictName(*row.targeting)) : Value("");
}
template <CampaignOutput K>
Value outputValue(const CampaignRow& row) {
  return row.outputs[index(K)];
}
template <std::size_t K>
Value keyValue(const CampaignRow& row) {
  return row.values[K];
}

// Field::get is a plain function: one reader per key position.
template <std::size_t... K>
constexpr std::array<Value (*)(const CampaignRow&), sizeof...(K)> keyReaders(
    std::index_sequence<K...>) {
  return {&keyValue<K>...};
}
constexpr auto keyReader = keyReaders(std::make_index_sequence<maxCampaignKeys>());

constexpr std::string_view noOrbit = "the run reached no closed orbit";
constexpr std::string_view noClosedOrbit = "no run reached a closed orbit";

// clang-format off
constexpr Field<CampaignRow> headFields[] = {
    {{"run", "", FieldType::Integer, "", "the run's index: its draws depend on it and the seed alone"},
     &runValue},
};
constexpr Field<CampaignRow> designFields[] = {
    {{"matrix", "", FieldType::Text, "",
      "the design's matrix: A, B, or ABi (A with factor i's values from B)"},
     [](const CampaignRow& row) { return row.design ? Value(row.design->matrix) : Value(""); }},
    {{"row", "", FieldType::Integer, "", "the row of the matrix"},
     [](const CampaignRow& row) { return row.design ? Value(row.design->row) : Value(0u); }},
};
constexpr Field<CampaignRow> tailFields[] = {
    {{"outcome", "", FieldType::Text, "",
      "the flight class: orbit, suborbital, escape, abandoned or failed"}, &outcomeValue},
    {{"reason", "", FieldType::Text, "", "why the run reached no orbit; empty for an orbit"},
     &reasonValue},
    {{"targeting", "", FieldType::Text, "",
      "the verdict of the run's own targeting (not_converged, unreachable: off target); empty "
      "when it flew a fixed limit"},
     &targetingValue},
    {{"perigee_m", "m", FieldType::Real, noOrbit, "perigee altitude"},
     &outputValue<CampaignOutput::Perigee>},
    {{"apogee_m", "m", FieldType::Real, noOrbit, "apogee altitude"},
     &outputValue<CampaignOutput::Apogee>},
    {{"average_altitude_m", "m", FieldType::Real, noOrbit, "average orbit altitude"},
     &outputValue<CampaignOutput::AverageAltitude>},
    {{"remaining_propellant_kg", "kg", FieldType::Real, noOrbit, "upper-stage propellant left"},
     &outputValue<CampaignOutput::RemainingPropellant>},
    {{"booster_residual_kg", "kg", FieldType::Real, noOrbit,
      "propellant left in each booster at separation (negative: overdrawn)"},
     &outputValue<CampaignOutput::BoosterResidual>},
    {{"SC_M_kg", "kg", FieldType::Real, noOrbit, "spacecraft mass of the re-sized upper stage"},
     &outputValue<CampaignOutput::SpacecraftMass>},
    {{"max_dynamic_pressure_Pa", "Pa", FieldType::Real, noOrbit, "largest dynamic pressure"},
     &outputValue<CampaignOutput::MaxDynamicPressure>},
    {{"max_acceleration_mps2", "m/s^2", FieldType::Real, noOrbit, "largest acceleration"},
     &outputValue<CampaignOutput::MaxAcceleration>},
    {{"max_force_N", "N", FieldType::Real, noOrbit, "largest force on the upper stage"},
     &outputValue<CampaignOutput::MaxForce>},
    {{"limit_deg", "deg", FieldType::Real, "the run flew no mission", "the limit the run flew"},
     &outputValue<CampaignOutput::Limit>},
    {{"decision_time_s", "s", FieldType::Real, "not guided in flight",
      "in flight: the mission time of booster separation, where the limit was decided"},
     &decisionValue<&CampaignRow::decisionTime_s>},
    {{"decision_altitude_m", "m", FieldType::Real, "not guided in flight",
      "the altitude there"},
     &decisionValue<&CampaignRow::decisionAltitude_m>},
    {{"decision_speed_mps", "m/s", FieldType::Real, "not guided in flight",
      "the inertial speed there"},
     &decisionValue<&CampaignRow::decisionSpeed_mps>},
};
// clang-format on
static_assert(std::size(tailFields) == 3 + campaignOutputCount + 3);

}  // namespace

CampaignRowSchema::CampaignRowSchema(std::span<const Dispersion> dispersions, bool design)
    : design_(design) {
  if (dispersions.size() > maxCampaignKeys) {
    throw InputError({"a campaign disperses at most " + std::to_string(maxCampaignKeys) + " keys"});
  }
  keys_.reserve(dispersions.size());
  for (const Dispersion& d : dispersions) keys_.push_back(d.key);
  fields_.assign(std::begin(headFields), std::end(headFields));
  if (design) fields_.insert(fields_.end(), std::begin(designFields), std::end(designFields));
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    const VehicleKey* key = findVehicleKey(keys_[k]);
    FieldInfo info{keys_[k], "", FieldType::Real, "", "the value drawn for the vehicle key"};
    if (key != nullptr) {
      info.unit = key->unit == "-" ? std::string_view() : key->unit;
      info.meaning = key->comment;
    }
    fields_.push_back({info, keyReader[k]});
  }
  fields_.insert(fields_.end(), std::begin(tailFields), std::end(tailFields));
}

std::string CampaignRowSchema::header() const {
  std::string header;
  for (const Field<CampaignRow>& field : fields_) {
    if (!header.empty()) header += ',';
    header += field.info.name;
  }
  return header;
}

namespace {

// clang-format off
constexpr Field<CampaignManifest> manifestFields[] = {
    {{"program", "", FieldType::Text, "", "the program and version that flew the runs"},
     [](const CampaignManifest& m) { return Value(m.program); }},
    {{"seed", "", FieldType::Integer, "", "the seed of the draws"},
     [](const CampaignManifest& m) { return Value(m.seed); }},
    {{"first_run", "", FieldType::Integer, "", "the first run"},
     [](const CampaignManifest& m) { return Value(m.firstRun); }},
    {{"end_run", "", FieldType::Integer, "", "the run after the last"},
     [](const CampaignManifest& m) { return Value(m.endRun); }},
    {{"dispersion_file", "", FieldType::Text, "", "the dispersion file"},
     [](const CampaignManifest& m) { return Value(m.dispersionFile); }},
    {{"dispersion_hash", "", FieldType::Text, "", "hash of its dispersions"},
     [](const CampaignManifest& m) { return Value(m.dispersionHash); }},
    {{"vehicle_file", "", FieldType::Text, "", "the vehicle file; empty for none"},
     [](const CampaignManifest& m) { return Value(m.vehicleFile); }},
    {{"vehicle_hash", "", FieldType::Text, "", "hash of the nominal vehicle"},
     [](const CampaignManifest& m) { return Value(m.vehicleHash); }},
    {{"thrust_file", "", FieldType::Text, "", "the thrust file"},
     [](const CampaignManifest& m) { return Value(m.thrustFile); }},
    {{"turn_time_s", "s", FieldType::Real, "", "the turn time of every run"},
     [](const CampaignManifest& m) { return Value(m.turnTime_s); }},
    {{"guidance", "", FieldType::Text, "",
      "fixed, before_launch, in_flight or omniscient: what the guidance knew"},
     [](const CampaignManifest& m) { return Value(guidanceName(m.guidance)); }},
    {{"know", "", FieldType::List, "the guidance is fixed or omniscient",
      "the knowledge classes the guidance knew: vehicle, launch_day"},
     [](const CampaignManifest& m) {
       if (m.guidance == GuidanceMode::Fixed || m.guidance == GuidanceMode::Omniscient) return Value();
       Value known = Value::list();
       for (const Knowledge k : {Knowledge::Vehicle, Knowledge::LaunchDay}) {
         if ((m.known & (1u << static_cast<unsigned>(k))) != 0) known.push(knowledgeName(k));
       }
       return known;
     }},
    {{"limit_deg", "deg", FieldType::Real, "the guidance targets each run before launch",
      "fixed: the limit every run flew; in_flight: the predictor's first guess"},
     [](const CampaignManifest& m) {
       return realOrNull(m.limit_deg,
                         m.guidance == GuidanceMode::Fixed || m.guidance == GuidanceMode::InFlight);
     }},
};

constexpr Field<OutputStatistics> statisticsFields[] = {
    {{"count", "", FieldType::Integer, "", "orbits with a value"},
     [](const OutputStatistics& s) { return Value(s.count); }},
    {{"mean", "", FieldType::Real, noClosedOrbit, ""},
     [](const OutputStatistics& s) { return Value(s.mean); }},
    {{"standard_deviation", "", FieldType::Real, noClosedOrbit, ""},
     [](const OutputStatistics& s) { return Value(s.standardDeviation); }},
    {{"min", "", FieldType::Real, noClosedOrbit, ""},
     [](const OutputStatistics& s) { return Value(s.min); }},
    {{"max", "", FieldType::Real, noClosedOrbit, ""},
     [](const OutputStatistics& s) { return Value(s.max); }},
    {{"percentiles", "", FieldType::Object, "", "at 0.1, 1, 5, 50, 95, 99, 99.9 %"},
     [](const OutputStatistics& s) {
       Value percentiles = Value::object();
       for (std::size_t j = 0; j < std::size(summaryPercentiles); ++j) {
         percentiles.add(exactText(summaryPercentiles[j]), s.percentiles[j]);
       }
       return percentiles;
     }},
};

constexpr Field<Ellipse> ellipseFields[] = {
    {{"sigmas", "", FieldType::Real, "", "k of the k-sigma ellipse"},
     [](const Ellipse& e) { return Value(e.sigmas); }},
    {{"semi_major_m", "m", FieldType::Real, noClosedOrbit, ""},
     [](const Ellipse& e) { return Value(e.semiMajor_m); }},
    {{"semi_minor_m", "m", FieldType::Real, noClosedOrbit, ""},
     [](const Ellipse& e) { return Value(e.semiMinor_m); }},
    {{"angle_deg", "deg", FieldType::Real, noClosedOrbit,
      "of the major axis from the perigee axis"},
     [](const Ellipse& e) { return Value(e.angle_deg); }},
};

struct CampaignReport {
  const CampaignSummary& summary;
  const CampaignManifest& manifest;
};

constexpr Field<CampaignReport> reportFields[] = {
    {{"campaign", "", FieldType::Object, "", "what identifies the campaign"},
     [](const CampaignReport& r) {
       return toValue(Schema<CampaignManifest>(manifestFields), r.manifest);
     }},
    {{"runs", "", FieldType::Integer, "", "runs summarised"},
     [](const CampaignReport& r) { return Value(r.summary.runs); }},
    {{"outcomes", "", FieldType::Object, "", "runs of each flight class"},
     [](const CampaignReport& r) {
       Value outcomes = Value::object();
       for (std::size_t c = 0; c < std::size(r.summary.byClass); ++c) {
         outcomes.add(std::string(flightClassName(static_cast<FlightClass>(c))),
                      r.summary.byClass[c]);
       }
       return outcomes;
     }},
    {{"success", "", FieldType::Object, "",
      "share of the runs that were a success (an orbit on target with at least "
      "min_remaining_propellant_kg of propellant left and no booster overdrawn), wilson95: its "
      "95 % interval, successes, propellant_shortfall: the orbits on target with less, "
      "off_target: the runs guided to the target whose search could not bring them there"},
     [](const CampaignReport& r) {
       const CampaignSummary& s = r.summary;
       return Value::object({{"share", s.successShare},
                             {"wilson95", Value::list({s.wilsonLow, s.wilsonHigh})},
                             {"successes", s.successes},
                             {"propellant_shortfall", s.shortfalls},
                             {"off_target", s.offTarget},
                             {"min_remaining_propellant_kg", s.minRemainingPropellant_kg}});
     }},
    {{"orbits_off_target", "", FieldType::Integer, "",
      "of the orbits the statistics take, those whose run was off target"},
     [](const CampaignReport& r) { return Value(r.summary.orbitsOffTarget); }},
    {{"outputs", "", FieldType::Object, "", "statistics of every output over the orbits"},
     [](const CampaignReport& r) {
       Value outputs = Value::object();
       for (std::size_t k = 0; k < campaignOutputCount; ++k) {
         outputs.add(std::string(campaignOutputName(static_cast<CampaignOutput>(k))),
                     toValue(Schema<OutputStatistics>(statisticsFields), r.summary.outputs[k]));
       }
       return outputs;
     }},
    {{"perigee_apogee", "", FieldType::Object, "", "mean_m, covariance_m2 and the ellipses"},
     [](const CampaignReport& r) {
       const CampaignSummary& s = r.summary;
       Value ellipses = Value::list();
       for (const Ellipse& e : s.ellipses) {
         ellipses.push(toValue(Schema<Ellipse>(ellipseFields), e));
       }
       return Value::object(
           {{"mean_m", Value::list({s.meanPerigee_m, s.meanApogee_m})},
            {"covariance_m2", Value::list({s.covariance[0], s.covariance[1], s.covariance[2]})},
            {"ellipses", std::move(ellipses)}});
     }},
    {{"requirements", "", FieldType::List, "", "the verdict of each requirement"},
     [](const CampaignReport& r) {
       Value requirements = Value::list();
       for (const RequirementResult& result : r.summary.requirements) {
         requirements.push(toValue(requirementSchema(), result));
       }
       return requirements;
     }},
    {{"flight_performance_reserve", "", FieldType::Object, "",
      "the propellant margin_kg that probability of the runs keep with confidence (order: m "
      "of its order statistic; runs without an orbit lowest), and "
      "flight_performance_reserve_kg = max(0, -margin_kg) to add"},
     [](const CampaignReport& r) {
       const FlightPerformanceReserve& f = r.summary.flightPerformanceReserve;
       const auto optional = [](const std::optional<double>& v) { return v ? Value(*v) : Value(); };
       return Value::object({{"probability", f.probability},
                             {"confidence", f.confidence},
                             {"order", f.order},
                             {"margin_kg", optional(f.margin_kg)},
                             {"flight_performance_reserve_kg",
                              optional(f.flightPerformanceReserve_kg)}});
     }},
};
// clang-format on

}  // namespace

Value campaignManifestValue(const CampaignManifest& manifest) {
  return toValue(Schema<CampaignManifest>(manifestFields), manifest);
}

Value campaignSummaryValue(const CampaignSummary& summary, const CampaignManifest& manifest) {
  return toValue(Schema<CampaignReport>(reportFields), CampaignReport{summary, manifest});
}

}  // namespace ascent
