// test_support.cpp — the shared pieces of the halcyon tests.
#include "test_support.h"

#include <algorithm>
#include <cstdlib>

#include "halcyon/resources/texture_bank_resource.h"
#include "halcyon/resources/world_mesh.h"

namespace halcyon::test {

void CallLog::TakeGlide() {
  if (!glide) return;
  for (const gfx::RecordedCall& call : gfx::StopRecording()) entries.push_back(call.name);
  gfx::StartRecording();
}

void CallLog::Note(const std::string& call) {
  TakeGlide();
  entries.push_back(call);
}

void CallLog::StartGlide() {
  glide = true;
  gfx::StartRecording();
}

std::vector<std::string> CallLog::Finish() {
  if (glide) {
    for (const gfx::RecordedCall& call : gfx::StopRecording()) entries.push_back(call.name);
    glide = false;
  }
  return entries;
}

int IndexOf(const std::vector<std::string>& log, const std::string& name) {
  auto it = std::find(log.begin(), log.end(), name);
  return it == log.end() ? -1 : static_cast<int>(it - log.begin());
}

int CountOf(const std::vector<std::string>& log, const std::string& name) {
  return static_cast<int>(std::count(log.begin(), log.end(), name));
}

MeshCopy::MeshCopy()
    : vertices(&worldVertexTable[0][0], &worldVertexTable[0][0] + worldVertexSlots * 3),
      triangles(&worldTriangleTable[0][0], &worldTriangleTable[0][0] + worldTriangleCount * 3) {}

TestRig::TestRig() {
  UseHeadlessEnvironment();
}

RendererServices TestRig::Services() {
  RendererServices s;
  auto clock = clockMs;
  s.tickCount = [clock] { return *clock; };
  s.seedOverride = [] { return std::optional<uint32_t>(1); };
  auto fixedBank = bank;
  s.loadTextureBank = [fixedBank] {
    if (fixedBank) return *fixedBank;
    std::span<const uint8_t> bytes = TextureBankResourceBytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  };
  s.mainWindow = [] { return HWND{0}; };
  // The test runner keeps its priority; the set-up notes the request instead.
  auto log = this->log;
  s.lowerPriority = [log] { log->Note("SetThreadPriority idle"); };
  s.mesh = mesh->Tables();
  s.music = player;
  s.musicSettings = settings;
  s.random = &random;
  return s;
}

std::vector<std::string> Names(const std::vector<gfx::RecordedCall>& calls) {
  std::vector<std::string> names;
  for (const auto& call : calls) names.push_back(call.name);
  return names;
}

void UseHeadlessEnvironment() {
  setenv("GLIDE_DISPLAY", "headless", 1);
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  unsetenv("GLIDE_NO_BOARD");
  unsetenv("GLIDE_CAPTURE");
}

}  // namespace halcyon::test
