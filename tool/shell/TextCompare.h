// Comparing controller file names: ASCII letters without regard to case,
// every other byte as it is (names are Latin-1, and a controller folds only
// A-Z).
#pragma once

#include <string_view>

// Negative, 0 or positive, as a before, equal to or after b.
int JxCompareIgnoringCase(std::string_view a, std::string_view b);
