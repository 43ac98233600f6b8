// record.h — how the entry points append themselves to the call recording of
// <gfx/recorder.h>: Record("grCullMode", mode) formats the arguments only
// while recording is on.
#pragma once

#include <glide.h>

#include <string>

namespace gfx {

extern bool recordingActive;
void AppendRecordedCall(const char* name, std::string args);

void FormatArg(std::string& out, int value);
void FormatArg(std::string& out, long value);
void FormatArg(std::string& out, unsigned value);
void FormatArg(std::string& out, unsigned long value);
void FormatArg(std::string& out, float value);
void FormatArg(std::string& out, double value);
void FormatArg(std::string& out, const GrVertex* vertex);
void FormatArg(std::string& out, const char* text);
void FormatPointer(std::string& out, const void* pointer);
template <class T>
void FormatArg(std::string& out, const T* pointer) {
  FormatPointer(out, pointer);
}

// Inside a call that forwards to other entry points: only the outer call is recorded.
struct QuietRecording {
  bool was = recordingActive;
  QuietRecording() { recordingActive = false; }
  ~QuietRecording() { recordingActive = was; }
  QuietRecording(const QuietRecording&) = delete;
  QuietRecording& operator=(const QuietRecording&) = delete;
};

template <class... Args>
void Record(const char* name, const Args&... args) {
  if (!recordingActive) return;
  std::string text;
  bool first = true;
  auto one = [&](const auto& value) {
    if (!first) text += ", ";
    first = false;
    FormatArg(text, value);
  };
  (one(args), ...);
  (void)one;
  AppendRecordedCall(name, std::move(text));
}

}  // namespace gfx
