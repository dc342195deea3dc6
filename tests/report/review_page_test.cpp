// The review pages embed the JSON --json prints, byte for byte once the
// script's escapes are undone, and show a name from a file only escaped.
#include <gtest/gtest.h>

#include <string>

#include "ascent/grammar.h"
#include "ascent/sensitivity.h"
#include "ascent/writers.h"
#include "report/campaign_page.h"
#include "report/sensitivity_page.h"

namespace ascent {
namespace {

constexpr const char* hostile = "</script><!--<script>x&'\"";

std::string embeddedText(const std::string& page) {
  const std::string open = "<script type=\"application/json\" id=\"summary\">";
  const std::size_t start = page.find(open) + open.size();
  std::string text = page.substr(start, page.find("</script>", start) - start);
  for (const auto& [escaped, plain] :
       {std::pair<std::string, std::string>{"<\\/", "</"}, {"\\u003c!--", "<!--"}}) {
    for (std::size_t at = text.find(escaped); at != std::string::npos;
         at = text.find(escaped, at + plain.size())) {
      text.replace(at, escaped.size(), plain);
    }
  }
  return text;
}

CampaignManifest hostileManifest() {
  CampaignManifest m;
  m.program = "ascent test";
  m.dispersionFile = std::string(hostile) + ".toml";
  m.vehicleFile = hostile;
  m.thrustFile = hostile;
  return m;
}

struct PageCase {
  std::string name;
  Value json;
  std::string page;
};

PageCase campaignCase() {
  CampaignSettings settings;
  settings.requirements = {parseRequirement("perigee_m>=150km")};
  SummaryBuilder builder(settings);
  for (std::uint64_t run = 0; run < 60; ++run) {
    CampaignRow row;
    row.run = run;
    row.flightClass = run % 7 == 0 ? FlightClass::Suborbital : FlightClass::Orbit;
    row.reason = hostile;
    for (double& output : row.outputs) output = 1000 + static_cast<double>(run);
    row.outputs[0] = 140e3 + 500.0 * static_cast<double>(run);
    row.outputs[1] = 210e3 + 300.0 * static_cast<double>(run % 11);
    builder.add(row);
  }
  const CampaignSummary summary = builder.finish();
  CampaignManifest manifest = hostileManifest();
  manifest.endRun = 60;
  const Value json = campaignSummaryValue(summary, manifest);
  const CampaignSource source{hostile, "ascent test", hostile, hostile,
                              reproduceCommand(manifest, true, hostile)};
  return {"campaign", json,
          campaignPage(json, manifest, campaignPageCharts(builder, summary), source)};
}

PageCase sensitivityCase() {
  SensitivityResult result;
  result.manifest = hostileManifest();
  result.factors = {{hostile, {0}, {hostile}}};
  result.indices = {{"perigee_m", 0, 0.5, 0.4, 0.6, 0.55, 0.45, 0.65, 40, 0}};
  result.complete = true;
  const Value json = sensitivityValue(result);
  return {"sensitivity", json,
          sensitivityPage(json, result.manifest, {hostile, "ascent test", "", "", hostile})};
}

TEST(ReviewPage, EmbedsTheJsonOfJsonAndEscapesEveryName) {
  for (const PageCase& c : {campaignCase(), sensitivityCase()}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(embeddedText(c.page), jsonText(c.json));
    // The hostile name ends no element and starts none: the body holds no
    // script, and the JSON's (where a bare <script> is data) ends once.
    const std::size_t json = c.page.find("<script type=\"application/json\"");
    EXPECT_EQ(c.page.rfind("<script", json - 1), std::string::npos);
    EXPECT_EQ(c.page.find("</script>"), c.page.rfind("</script>"));
    EXPECT_EQ(c.page.find("<!--"), std::string::npos);
    EXPECT_NE(c.page.find("&lt;/script&gt;&lt;!--&lt;script&gt;x&amp;&#39;&quot;"),
              std::string::npos);
  }
}

TEST(ReviewPage, ShowsEachNumberAsItsJsonTimesItsScale) {
  const Value json =
      Value::object({{"share", 0.99865}, {"none", Value()}, {"list", Value::list({2.5})}});
  const JsonNumbers n(json);
  const std::pair<std::string, std::string> cases[] = {
      {n("share", 100, 3), ">99.865<"},
      {n("none", 1, 1), ">&#8211;<"},
      {n("list/0", 1, 0), ">2<"},
      {n("missing/0"), ">&#8211;<"},
  };
  for (const auto& [html, shown] : cases) EXPECT_NE(html.find(shown), std::string::npos) << html;
}

}  // namespace
}  // namespace ascent
