// One name per quantity, one quantity per name: every field of every result
// and every setting of every study, whichever door they leave by (JSON, CSV,
// Python keywords and attributes all take these names).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/performance.h"
#include "ascent/sweep.h"
#include "ascent/target.h"
#include "ascent/trade.h"

namespace ascent {
namespace {

struct Named {
  std::string unit;
  std::string where;
};

// Every name with the units it is given and where.
class Names {
 public:
  template <class Row>
  void fields(const char* where, Schema<Row> schema) {
    for (const Field<Row>& field : schema) add(field.info.name, field.info.unit, where);
  }
  template <class Settings>
  void settings(const char* where, std::span<const SettingDomain<Settings>> table) {
    for (const SettingDomain<Settings>& d : table) add(d.name, unitOf(d.name), where);
  }
  // The keys of nested objects, which carry their unit in their name only.
  void keys(const char* where, const Value& value) {
    for (const auto& [key, member] : value.members()) {
      add(key, unitOf(key), where);
      keys(where, member);
    }
    for (const Value& item : value.items()) keys(where, item);
  }
  const std::map<std::string, std::vector<Named>>& all() const { return names_; }

 private:
  // The SI unit a name ends with, as the schemas write it.
  static std::string unitOf(std::string_view name) {
    static const std::pair<std::string_view, std::string_view> suffixes[] = {
        {"_m", "m"}, {"_kg", "kg"},   {"_s", "s"},        {"_deg", "deg"}, {"_Pa", "Pa"},
        {"_N", "N"}, {"_rad", "rad"}, {"_mps2", "m/s^2"}, {"_mps", "m/s"}, {"_m2", "m^2"}};
    for (const auto& [suffix, unit] : suffixes) {
      if (name.ends_with(suffix)) return std::string(unit);
    }
    return "";
  }
  void add(std::string_view name, std::string_view unit, const char* where) {
    names_[std::string(name)].push_back({std::string(unit), where});
  }
  std::map<std::string, std::vector<Named>> names_;
};

TEST(Names, EveryNameHasOneUnitAndNoneMeansTwoQuantities) {
  Names names;
  names.fields("flight", flightSchema());
  names.fields("peaks", peaksSchema());
  names.fields("sizing", sizingSchema());
  names.fields("trajectory", trajectorySchema());
  names.fields("target", targetSchema());
  names.fields("sweep", sweepSchema());
  names.fields("candidate", candidateSchema());
  names.fields("optimize", optimizeSchema());
  names.fields("trade row", tradeRowSchema());
  names.fields("trade", tradeSchema());
  names.fields("performance row", performanceRowSchema());
  names.fields("performance", performanceSchema());
  names.fields("requirement", requirementSchema());
  const CampaignRowSchema rows(std::vector<Dispersion>{});
  names.fields("campaign row", rows.fields());
  CampaignSummary summary;
  summary.requirements.resize(1);
  names.keys("campaign summary", campaignSummaryValue(summary, CampaignManifest{}));
  names.settings("search", searchSettingsDomain());
  names.settings("fly", flySettingsDomain());
  names.settings("optimize", optimizeSettingsDomain());
  names.settings("trade", tradeSettingsDomain());
  names.settings("campaign", campaignSettingsDomain());

  for (const auto& [name, uses] : names.all()) {
    std::set<std::string> units;
    for (const Named& use : uses) units.insert(use.unit);
    EXPECT_EQ(units.size(), 1u) << name << " has units in " << uses.front().where << " and "
                                << uses.back().where;
  }
  // Names that once meant two quantities each: the sizing's reserve, the
  // propellant a success keeps and the flight performance reserve; the
  // limit given and the peak flown; a share measured and a level asked.
  // (altitude_m is the altitude of a trajectory step: one quantity.)
  for (const char* ambiguous : {"reserve_kg", "min_perigee_m", "max_dynamic_pressure_limit_Pa"}) {
    EXPECT_EQ(names.all().count(ambiguous), 0u) << ambiguous;
  }
  for (const Named& use : names.all().at("max_dynamic_pressure_Pa")) {
    EXPECT_TRUE(use.where != std::string("search") && use.where != std::string("campaign"))
        << "max_dynamic_pressure_Pa is a peak flown, not a setting (" << use.where << ")";
  }
  const Value success = campaignSummaryValue(summary, CampaignManifest{})["success"];
  EXPECT_EQ(success.find("probability"), nullptr) << "the share measured is success.share";
}

}  // namespace
}  // namespace ascent
