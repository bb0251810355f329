#pragma once
// A second, deliberately plain implementation of the configuration check and
// of the controller image, written from the rules alone. The differential test
// runs it beside the `livra` program; any difference is a fault in one of them.
#include <array>
#include <string>

#include "model/configuration.h"
#include "model/files.h"

namespace livra::oracle {

// The one line the check leaves in the error list (may contain '\n').
std::string oracleVerdict(const Configuration& c);

// The ten part files, index = part number - 1.
std::array<Bytes, 10> oracleImage(const Configuration& c);

}  // namespace livra::oracle
