// What the parts of the module share to call a study: the vehicle and the
// thrust history it flies, the arguments read as the command line reads its
// options, the interpreter lock released while it runs, Ctrl-C that ends it,
// and functions whose parameters Python can inspect. The studies check their
// own settings (an ascent::InputError naming the field, which the module
// raises as ascent.InputError); nothing here knows a setting's domain.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <optional>
#include <string>
#include <utility>

#include "ascent/study.h"

namespace ascent::python {

namespace py = pybind11;

// Sets the module's exception `type` (a class of ascent._errors) with its
// message and keyword attributes as the pending Python error; `raise` also
// throws it. Both need the interpreter lock.
void setError(const char* type, const std::string& message, const py::dict& attributes);
[[noreturn]] void raise(const char* type, const std::string& message, py::dict attributes = {});

// A path given as str or os.PathLike.
std::string pathOf(const py::object& path);

// The vehicle to fly: the defaults for None; raises VehicleError when a
// Vehicle changed key by key cannot be flown as described.
const Vehicle& vehicleToFly(const Vehicle* vehicle);
// The ThrustHistory held by `thrust`, the package's shipped one for None;
// TypeError when it holds none.
const ThrustHistory& historyOf(const py::object& thrust);

// What a study flies: a copy of the vehicle (another thread may change the
// caller's while this one flies) and the thrust history, kept alive, read
// from no file the study could name.
class Flying {
 public:
  Flying(const Vehicle* vehicle, py::object thrust);
  Flying(const Flying&) = delete;
  Flying& operator=(const Flying&) = delete;
  const StudyInputs& inputs() const { return inputs_; }
  const Vehicle& vehicle() const { return vehicle_; }

 private:
  Vehicle vehicle_;
  py::object thrust_;
  StudyInputs inputs_;
};

// The search settings of the keyword arguments every targeting study takes;
// None for the dynamic-pressure limit is no limit.
SearchSettings searchSettings(double targetAltitude_m, double tolerance_m, int maxMissions,
                              double firstGuess_deg, double minimumPerigee_m,
                              const std::optional<double>& dynamicPressureLimit_Pa);

// The threads of `jobs`: None for the machine's cores (0); a number given is
// a number of threads, as --jobs reads it (InputError naming "jobs").
unsigned jobsOf(const std::optional<long long>& jobs);

// Runs `read`, which reads the argument `keyword` with the grammar the
// command line uses (ascent/grammar.h); its InputError names the keyword.
template <class Read>
auto readArgument(const char* keyword, Read read) {
  try {
    return read();
  } catch (const InputError& error) {
    throw InputError(error.problems(), keyword);
  }
}

// Thrown on the calling thread of a study when Python's signal handlers
// raised (Ctrl-C): the study ends, and the Python error stays set.
struct Interrupted {};

// A study's observer that runs Python's signal handlers as the work is done
// (on the study's calling thread); one that raised ends the study: no new
// piece of work starts and Interrupted is thrown.
template <class Observer = StudyObserver>
class Interruptible : public Observer {
 public:
  void progress(std::size_t, std::size_t) override {
    py::gil_scoped_acquire locked;
    if (PyErr_CheckSignals() != 0) {
      interrupted_ = true;
      throw Interrupted{};
    }
  }
  bool stopRequested() override { return interrupted_.load(); }

 private:
  std::atomic<bool> interrupted_{false};
};

// Runs `study` with the interpreter lock released; KeyboardInterrupt (or any
// error of a signal handler) when it was interrupted.
template <class Study>
auto withoutLock(Study study) {
  try {
    py::gil_scoped_release unlocked;
    return study();
  } catch (const Interrupted&) {
    throw py::error_already_set();
  }
}

// The text of one parameter of a text signature.
inline std::string parameterText(const py::arg& argument) {
  return argument.name;
}
std::string parameterText(const py::arg_v& argument);  // name=repr(default)
inline std::string parameterText(const py::kw_only&) {
  return "*";
}

// Defines the module's function `name` with its arguments, its docstring led
// by its text signature ("fly(turn_time_s, limit_deg, vehicle=None, ...)"):
// inspect.signature, help() and the stubs' test read its parameters, their
// kinds and defaults from it, which a compiled function otherwise hides.
template <class Function, class... Arguments>
void defineFunction(py::module_& m, const char* name, Function function, const char* doc,
                    const Arguments&... arguments) {
  std::string text = std::string(name) + "(";
  std::string separator;
  ((text += std::exchange(separator, ", ") + parameterText(arguments)), ...);
  text += ")\n--\n\n" + std::string(doc);
  py::options options;
  options.disable_function_signatures();
  m.def(name, function, arguments..., text.c_str());
}

}  // namespace ascent::python
