// The module catalogue file (MODULES.XML) beside the program.
#pragma once

#include <string>

// The catalogue's version for the about box: the vr of its top-level element
// when that is MODULES and vr is not empty, else "?.?.?" (also for a file
// that is missing or does not parse).
std::string JxCatalogueVersion(const std::string& path);
