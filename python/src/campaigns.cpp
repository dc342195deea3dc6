// What the campaign studies share (campaigns.h).
#include "campaigns.h"

#include <pybind11/stl.h>

#include <algorithm>

#include "ascent/files.h"
#include "ascent/grammar.h"

namespace ascent::python {

std::string digitsOf(const py::handle& number, const char* keyword) {
  PyObject* whole = py::isinstance<py::bool_>(number) ? nullptr : PyNumber_Index(number.ptr());
  if (whole == nullptr) {
    PyErr_Clear();
    throw py::type_error(std::string(keyword) + " must be an int");
  }
  return py::str(py::reinterpret_steal<py::object>(whole)).cast<std::string>();
}

std::uint64_t campaignNumberOf(const py::handle& number, const char* keyword, const char* what) {
  const std::string digits = digitsOf(number, keyword);
  return readArgument(keyword, [&] { return campaignNumber(what, digits); });
}

void guidanceOf(const std::optional<std::string>& guidance, bool retarget,
                const std::optional<std::vector<std::string>>& know, CampaignSettings& settings) {
  if (retarget && guidance && *guidance != "omniscient") {
    throw InputError({"retarget=True is guidance=\"omniscient\": give one"}, "guidance");
  }
  if (retarget) settings.guidance = GuidanceMode::Omniscient;
  if (guidance) {
    settings.guidance = readArgument("guidance", [&] { return parseGuidance(*guidance); });
  }
  if (!know) return;
  std::string text = know->empty() ? "none" : "";
  for (const std::string& k : *know) text += (text.empty() ? "" : ",") + k;
  settings.known = readArgument("know", [&] { return parseKnown(text); });
}

DispersionFile readDispersions(const std::string& path, const Vehicle& nominal) {
  try {
    return readDispersionFile(path, nominal);
  } catch (const InputError& error) {
    raise("DispersionFileError", error.what(),
          py::dict(py::arg("problems") = error.problems(), py::arg("path") = path));
  } catch (const Error& error) {
    raise("DispersionFileError", error.what(),
          py::dict(py::arg("code") = error.code(), py::arg("path") = path));
  }
}

void raiseNoDesign(double turnTime_s, Verdict verdict) {
  raise("NoDesignError", nominalLimitProblem(turnTime_s, verdict) + ": give limit_deg",
        py::dict(py::arg("verdict") = std::string(verdictName(verdict)),
                 py::arg("turn_time_s") = turnTime_s));
}

KeptRows::KeptRows(std::uint64_t expected, CampaignWriter* csv, const CampaignRowSchema* schema)
    : csv_(csv), schema_(schema) {
  rows.reserve(std::min<std::uint64_t>(expected, 1 << 20));
}

void KeptRows::row(const CampaignRow& row) {
  if (csv_ != nullptr) csv_->write(campaignCsvLine(*schema_, row));
  rows.push_back(row);
}

}  // namespace ascent::python
