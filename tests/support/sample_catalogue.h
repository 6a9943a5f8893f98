// A small hand-made catalogue used by several tests.
#pragma once

#include <string>

namespace testing_support {

inline const std::string kSampleCatalogue =
    "; made by hand\n"
    "[Album:Live at Home]\n"
    "Artist = The Band\n"
    "Year=1994\n"
    "T1=01 Intro.mp3, 01 Intro\n"
    "\n"
    "[Album:Other]\n"
    "Artist='Someone'\n";

}  // namespace testing_support
