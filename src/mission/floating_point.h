// The floating-point environment of a mission. The dialogue traps division by
// zero, overflow and invalid operations where they happen (SIGFPE ends the run
// with 200, 205 or 207); code that flies missions as data instead leaves the
// traps off and reads the sticky IEEE 754 flags after every step.
#pragma once

#include <cfenv>

namespace ascent {

constexpr int faultExceptions = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

// Runs `body` with floating-point traps suspended and the flags it raised
// discarded (text-to-number conversion may overflow or underflow on purpose).
template <typename F>
auto withoutTraps(F&& body) {
  std::fenv_t saved;
  std::feholdexcept(&saved);
  struct Restore {
    std::fenv_t* env;
    ~Restore() {
      std::feclearexcept(FE_ALL_EXCEPT);
      std::fesetenv(env);
    }
  } restore{&saved};
  return body();
}

}  // namespace ascent
