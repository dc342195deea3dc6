// The review board's page of a dispersion campaign (report/html_page.h): in
// the order a review reads it, the question (the requirements with their
// probability and confidence), the verdicts, the success probability, the
// flight performance reserve, the outcomes, the statistics, the charts and
// where the runs came from. The summary's JSON is embedded; the charts are
// drawn from the summary's columns.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "ascent/campaign.h"
#include "report/html_page.h"
#include "report/svg_chart.h"

namespace ascent {

// What the charts draw, in km and kg: every run with a closed orbit (the
// successes apart), the 1-, 2- and 3-sigma ellipses, the box of the orbits'
// perigee and apogee from their extentPercent point to their 100 -
// extentPercent point, the requirements on the perigee or the apogee.
struct CampaignPageCharts {
  ChartPoints successes, others;
  ChartPoints ellipses[3];
  double extentPercent = 0;
  double box_km[4] = {NAN, NAN, NAN, NAN};  // perigee low, high, apogee low, high
  std::vector<std::pair<std::string, double>> perigeeLines_km, apogeeLines_km;
  std::vector<ChartedRun> runs;  // for the histograms
};
CampaignPageCharts campaignPageCharts(SummaryBuilder& builder, const CampaignSummary& summary);

// Where the runs came from, beyond what the manifest holds.
struct CampaignSource {
  std::string madeFrom;     // "run.csv", or "the campaign as flown"
  std::string pageProgram;  // the program that made the page: "ascent 3.0.0"
  std::string thrustCheck;  // how the thrust file on disk compares with its hash
  std::string filesCheck;   // how the dispersion and vehicle files were checked
  std::string reproduce;    // the command line that flies the runs again
};

// The page; `summary` is campaignSummaryValue of the summary charted.
std::string campaignPage(const Value& summary, const CampaignManifest& manifest,
                         const CampaignPageCharts& charts, const CampaignSource& source);

// The page's sections 7 and 8: the charts, and where the runs came from.
std::string campaignChartsHtml(const CampaignPageCharts& charts, const JsonNumbers& n);
std::string provenanceHtml(const JsonNumbers& n, const CampaignManifest& manifest,
                           const CampaignSource& source, int section = 8);

// The command line that flies the runs of `manifest` again into `csvFile`
// (shell words quoted), judged as the manifest records; with --limit when
// the campaign's fixed limit was given rather than targeted.
std::string reproduceCommand(const CampaignManifest& manifest, bool limitGiven,
                             const std::string& csvFile);

}  // namespace ascent
