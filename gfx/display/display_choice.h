// display_choice.h — the one rule that picks a display from GLIDE_DISPLAY and
// what the machine offers, and whether the board is there at all.
#pragma once

#include <string>

#include "gfx/host.h"

namespace gfx {

using host::DisplayKind;

// GLIDE_DISPLAY's value (null when unset) and whether a video device can be
// opened give the display to use. An unknown value is explained in *warning
// and the default is used: full screen with a video device, else headless.
DisplayKind ChooseDisplayKind(const char* requested, bool videoAvailable, std::string* warning);

// True when SDL video starts and its driver draws somewhere a person can see
// (not "dummy" or "offscreen"). Leaves SDL video as it found it.
bool VideoDeviceAvailable();

// The rule applied to this process's environment (host::ChosenDisplay). The
// answer of the video probe is kept for the run, per SDL_VIDEODRIVER value.
DisplayKind DisplayKindFromEnvironment();

}  // namespace gfx
