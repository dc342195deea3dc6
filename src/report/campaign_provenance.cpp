// Where a page's runs came from: the program, the files and their hashes,
// the settings, and the command line that flies the runs again.
#include <string_view>

#include "report/campaign_page.h"

namespace ascent {

namespace {

// A word as a POSIX shell reads it back: bare when it holds nothing the
// shell treats specially, else in single quotes.
std::string shellWord(std::string_view word) {
  constexpr std::string_view plain =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_./:=,+-@%";
  if (!word.empty() && word.find_first_not_of(plain) == std::string_view::npos) {
    return std::string(word);
  }
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string row(std::string_view what, const std::string& value, const std::string& detail = "") {
  return "<tr><th class=\"t\">" + std::string(what) + "</th><td class=\"t\">" + value +
         "</td><td class=\"t mono\">" + detail + "</td></tr>\n";
}

std::string textOf(const Value& value) {
  return value.kind() == Value::Kind::Text ? htmlEscape(value.text()) : std::string("&#8211;");
}

}  // namespace

std::string reproduceCommand(const CampaignManifest& m, bool limitGiven,
                             const std::string& csvFile) {
  const bool design = m.designRows > 0;
  std::vector<std::string> words = {"ascent", design ? "sensitivity" : "dispersions",
                                    m.dispersionFile, "--runs"};
  if (design) {
    words.push_back(std::to_string(m.designRows));
  } else {
    words.push_back(m.firstRun == 0 ? std::to_string(m.endRun)
                                    : std::to_string(m.firstRun) + ":" + std::to_string(m.endRun));
  }
  words.insert(words.end(),
               {"--seed", std::to_string(m.seed), "--turn-time", exactText(m.turnTime_s),
                "--guidance", std::string(guidanceName(m.guidance))});
  if (m.guidance == GuidanceMode::BeforeLaunch || m.guidance == GuidanceMode::InFlight) {
    words.insert(words.end(), {"--know", knownText(m.known)});
  }
  if (m.guidance == GuidanceMode::Fixed && limitGiven) {
    words.insert(words.end(), {"--limit", exactText(m.limit_deg)});
  }
  if (!m.vehicleFile.empty()) words.insert(words.end(), {"--vehicle", m.vehicleFile});
  if (!m.thrustFile.empty()) words.insert(words.end(), {"--thrust", m.thrustFile});
  words.insert(words.end(), {"--csv", csvFile});
  if (m.judging) {
    words.insert(words.end(), {"--reserve", exactText(m.judging->minRemainingPropellant_kg)});
    if (!design) {
      words.insert(words.end(), {"--probability", exactText(m.judging->probability), "--confidence",
                                 exactText(m.judging->confidence)});
      for (const Requirement& r : m.judging->requirements) {
        words.insert(words.end(), {"--require", r.text});
      }
    }
  }
  std::string command;
  for (const std::string& word : words) command += (command.empty() ? "" : " ") + shellWord(word);
  return command;
}

std::string provenanceHtml(const JsonNumbers& n, const CampaignManifest& m,
                           const CampaignSource& source, int section) {
  std::string html = "<h2>" + std::to_string(section) + " Provenance</h2>\n<table>\n";
  html += row("flown by", textOf(n.at("campaign/program")));
  html +=
      row("page made by", htmlEscape(source.pageProgram), "from " + htmlEscape(source.madeFrom));
  html += row("dispersion file", htmlEscape(m.dispersionFile),
              "hash " + textOf(n.at("campaign/dispersion_hash")));
  html += row("vehicle", m.vehicleFile.empty() ? "the default vehicle" : htmlEscape(m.vehicleFile),
              "hash " + textOf(n.at("campaign/vehicle_hash")));
  html += row("thrust file", htmlEscape(m.thrustFile),
              "hash " + htmlEscape(m.thrustHash) + " " + htmlEscape(source.thrustCheck));
  html += row("seed", n("campaign/seed"));
  html += row("runs", n("campaign/first_run") + " to " + n("campaign/end_run") + " &#8722; 1");
  html += row("turn time", n("campaign/turn_time_s", 1, 3) + " s");
  html += row("guidance", textOf(n.at("campaign/guidance")), htmlEscape(m.predictor));
  std::string known;
  for (const Value& k : n.at("campaign/know").items()) {
    known += (known.empty() ? "" : ", ") + textOf(k);
  }
  html += row("knowledge", known.empty() ? "&#8211; (not chosen for this guidance)" : known);
  html += row("limit",
              n.at("campaign/limit_deg").isNull() ? "&#8211; (each run targeted)"
                                                  : n("campaign/limit_deg", 1, 4) + " deg",
              htmlEscape(m.target));
  html += "</table>\n<p class=\"note\">" + htmlEscape(source.filesCheck) + "</p>\n";
  html += "<p>The runs flown again:</p>\n<pre class=\"mono\"><code>" +
          htmlEscape(source.reproduce) + "</code></pre>\n";
  return html;
}

}  // namespace ascent
