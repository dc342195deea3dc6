// The vehicle file (TOML, read with toml++): its reading API is public
// (ascent/files.h), and so is the hash the outputs identify a vehicle by
// (ascent/vehicle.h).
#pragma once

#include "ascent/files.h"
#include "ascent/vehicle.h"
