// video_probe.h — whether this run can show windows to a person: SDL's
// video driver on Linux (display_kind_sdl.cpp), the window station on
// Windows (display_kind_win32.cpp). The answer is kept for the run.
#pragma once

namespace desktop {

bool CachedVideoDeviceAvailable();

}  // namespace desktop
