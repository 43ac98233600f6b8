// recorder.cpp — the call recording tests switch on through <gfx/recorder.h>,
// and the text form of each argument kind.
#include <gfx/recorder.h>

#include <charconv>
#include <cmath>

#include "record.h"

namespace gfx {

bool recordingActive = false;
namespace {
std::vector<RecordedCall>& Calls() {
  static std::vector<RecordedCall> calls;
  return calls;
}
}  // namespace

void StartRecording() {
  Calls().clear();
  recordingActive = true;
}

std::vector<RecordedCall> StopRecording() {
  recordingActive = false;
  std::vector<RecordedCall> out;
  out.swap(Calls());
  return out;
}

void AppendRecordedCall(const char* name, std::string args) {
  Calls().push_back(RecordedCall{name, std::move(args)});
}

void FormatArg(std::string& out, int value) {
  out += std::to_string(value);
}
void FormatArg(std::string& out, long value) {
  out += std::to_string(value);
}
void FormatArg(std::string& out, unsigned value) {
  out += std::to_string(value);
}
void FormatArg(std::string& out, unsigned long value) {
  out += std::to_string(value);
}
void FormatArg(std::string& out, float value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}
void FormatArg(std::string& out, double value) {
  char buffer[40];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}
void FormatArg(std::string& out, const GrVertex* vertex) {
  if (!vertex) {
    out += "null";
    return;
  }
  out += '{';
  FormatArg(out, vertex->x);
  out += ' ';
  FormatArg(out, vertex->y);
  out += ' ';
  FormatArg(out, vertex->oow);
  out += ' ';
  FormatArg(out, vertex->tmuvtx[0].sow);
  out += ' ';
  FormatArg(out, vertex->tmuvtx[0].tow);
  out += '}';
}
void FormatArg(std::string& out, const char* text) {
  if (!text) {
    out += "null";
    return;
  }
  out += '"';
  out += text;
  out += '"';
}
void FormatPointer(std::string& out, const void* pointer) {
  out += pointer ? "<data>" : "null";
}

}  // namespace gfx
