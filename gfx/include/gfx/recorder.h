// gfx/recorder.h — records the Glide calls a program makes, with their
// arguments, in order. For tests; not part of Glide's public API.
#pragma once

#include <string>
#include <vector>

namespace gfx {

struct RecordedCall {
  std::string name;  // the entry point, e.g. "grDrawTriangle"
  std::string args;  // arguments as text, comma separated, e.g. "7, 0, 1";
                     // a GrVertex prints as "{x y oow sow tow}"
};

// Starts recording every Glide call made from now on (drawing still happens).
void StartRecording();
// Stops recording and hands over what was recorded.
std::vector<RecordedCall> StopRecording();

}  // namespace gfx
