// thread_priority.h — the workers follow the drawing thread's priority: a
// program that lowers its drawing thread to idle (as a screen saver does)
// gets all of its pixel work done at idle, not only the share its own thread
// draws.
#pragma once

namespace gfx::raster {

// The calling thread's scheduling priority as the system counts it (on Linux
// its nice value); 0 where it cannot be asked.
int CurrentThreadPriority();

// Gives the calling thread that priority. False where the system refuses
// (raising a priority may need privileges).
bool SetCurrentThreadPriority(int priority);

}  // namespace gfx::raster
