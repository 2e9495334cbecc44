#pragma once

#include <string>

namespace tavix::mouse_settings_testing {

// Points the natural-scrolling look-up at another library. Takes effect only before the first
// setNaturalScroll (the library is loaded once per process); returns whether it did.
bool usePreferencePanesPath(std::string path);

}  // namespace tavix::mouse_settings_testing
