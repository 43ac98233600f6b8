// headless_driver.cpp — the backend without a display: no windows, a
// virtual clock that shown frames and Sleep advance, and scripted input.
#include <cstdio>

#include "core/core.h"

namespace platform {

namespace {

class HeadlessDriver : public Driver {
 public:
  Backend Kind() const override { return Backend::Headless; }
  void CreateNative(WindowRecord&) override {}
  void DestroyNative(WindowRecord&) override {}
  void ShowNative(WindowRecord&, bool) override {}
  void PollInput() override {}
  void WaitIdle(int) override { RequestClose(); }
  DWORD TickCount() override { return static_cast<DWORD>(sleptMs + frames * 1000 / 60); }
  void SleepMs(DWORD ms) override { sleptMs += ms; }
  int ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
  }
  void Fill(WindowRecord&, const RECT&, COLORREF) override {}
  POINT ScreenSize() override { return POINT{640, 480}; }
  void SetCursorVisible(bool) override {}
  std::optional<POINT> Pointer() override { return std::nullopt; }
  void FrameShown(uint64_t) override { ++frames; }

 private:
  uint64_t sleptMs = 0;
  uint64_t frames = 0;
};

}  // namespace

std::unique_ptr<Driver> CreateHeadlessDriver() {
  return std::make_unique<HeadlessDriver>();
}

}  // namespace platform
