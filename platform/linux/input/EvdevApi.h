#pragma once

// What the reader library exports. Its users include code built with hidden visibility (the
// multitouch framework file), which must still see these names as coming from the library.
#define TAVIX_EVDEV_API __attribute__((visibility("default")))
