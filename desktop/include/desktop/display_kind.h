// display_kind.h — the one rule that says whether this run has a screen, and
// starting SDL video for it. The Glide library opens its display by this
// rule and the platform layer picks its backend by it, so the two agree.
#pragma once

#include <string>

namespace desktop {

enum class DisplayKind { FullScreen, Window, Headless };

// GLIDE_DISPLAY's value (null when unset) and whether a video device can be
// opened give the display to use. An unknown value is explained in *warning
// and the default is used: full screen with a video device, else headless.
DisplayKind ChooseDisplayKind(const char* requested, bool videoAvailable, std::string* warning);

// True when SDL video starts and its driver draws somewhere a person can see
// (not "dummy" or "offscreen"). Leaves SDL video as it found it.
bool VideoDeviceAvailable();

// The rule applied to this process's environment. The answer of the video
// probe is kept for the run, per SDL_VIDEODRIVER value; an unknown
// GLIDE_DISPLAY is reported on stderr once.
DisplayKind ChosenDisplay();

// Sets SDL's hints for a saver (signals stay the program's, the desktop may
// blank, full-screen windows stay up without the focus). Called before
// anything starts SDL video; harmless to call again.
void PrepareSdl();

// Starts SDL video (counted, as SDL_InitSubSystem is) and makes X errors
// survivable (see x11_window.h). False, with SDL_GetError set, when it cannot.
// Every successful StartVideo is matched by one StopVideo.
bool StartVideo();
void StopVideo();

// StartVideo, kept only when SDL's driver draws somewhere a person can see
// (not "dummy" or "offscreen"). False, with the reason in *why, otherwise.
bool StartVisibleVideo(std::string* why);

}  // namespace desktop
