// Composes the calm background piece for the world saver: a slow chord progression on crossfading pads,
// a warm bass, a gentle plucked melody with its echo, bells and light percussion, in twelve four-bar
// sections that return to the second one when the song ends.
#pragma once

#include "xm_writer.h"

namespace music {

// The whole song, instruments included. The same song on every call.
XmSong ComposeTrans();

}  // namespace music
