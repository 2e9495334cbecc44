#pragma once

#include "Tavix/gestures/PinchAction.h"
#include "Tavix/gestures/ZoomMode.h"

namespace tavix {

// Every switch and threshold of the gesture engine. Seconds and millimetres on the mouse
// surface; nothing is validated or clamped.
struct GestureConfig {
    bool enabled = true;
    bool oneTapEnabled = true;
    double oneTapMaxDuration = 0.2;
    double oneTapMaxMoveMM = 1.5;
    double doubleClickInterval = 0.5;
    bool tapEnabled = true;
    double tapMaxDuration = 0.3;
    double tapMaxMoveMM = 2.5;
    bool pinch3Enabled = true;
    double pinch3Ratio = 0.84;
    double pinch3ShrinkMM = 4.0;
    PinchAction pinch3Action = PinchAction::apps;
    bool zoomEnabled = true;
    ZoomMode zoomMode = ZoomMode::native;
    double zoomStartMM = 4.0;
    double zoomGain = 1.6;

    friend bool operator==(const GestureConfig&, const GestureConfig&) = default;
};

}  // namespace tavix
