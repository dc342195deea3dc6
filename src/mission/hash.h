// The hash that names the inputs of a result: of a vehicle's canonical text,
// of a thrust history's records, of a dispersion file's contents, and of a
// dispersed key's name in its draws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ascent {

// FNV-1a, 64 bits.
std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash = 0xcbf29ce484222325ULL);
// 16 lower-case hex digits.
std::string hashText(std::uint64_t hash);

}  // namespace ascent
