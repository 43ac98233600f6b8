// sdl_driver.h — the desktop backend over SDL2, shared by its parts:
// windows and the clock (sdl_driver.cpp), input (sdl_input.cpp), hosting in
// another program's window (sdl_hosted.cpp) and message boxes
// (sdl_message_box.cpp).
#pragma once

#include <SDL.h>

#include <map>
#include <optional>
#include <vector>

#include "core/core.h"
#include "desktop/monitor_blanks.h"

namespace platform {

class SdlDriver final : public Driver {
 public:
  SdlDriver();
  ~SdlDriver() override;

  Backend Kind() const override { return Backend::Sdl; }
  void CreateNative(WindowRecord& record) override;
  void DestroyNative(WindowRecord& record) override;
  void ShowNative(WindowRecord& record, bool show) override;
  void PollInput() override;
  void WaitIdle(int timeoutMs) override;
  DWORD TickCount() override;
  void SleepMs(DWORD ms) override;
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  void Fill(WindowRecord& record, const RECT& rect, COLORREF colour) override;
  POINT ScreenSize() override;
  void SetCursorVisible(bool visible) override;
  std::optional<POINT> Pointer() override;
  void FrameShown(uint64_t) override {}

  // The SDL window made from the host's X window, made at the first call.
  SDL_Window* Hosted();

 private:
  // Input (sdl_input.cpp).
  void Translate(const SDL_Event& event);
  void TranslateWindowEvent(const SDL_WindowEvent& event);
  // Posts a mouse move when the pointer's place on the screen has changed
  // since it was last seen; `force` asks the server even if asked just now.
  void CheckPointer(bool force);
  WindowRecord* RecordOf(Uint32 windowId);
  LPARAM ClientPosition(POINT screen);

  // Hosting (sdl_hosted.cpp).
  void PollHosted();

  // Full-screen windows: the other monitors go black.

  std::optional<POINT> lastPointer_;
  uint64_t lastPointerCheck_ = 0;
  bool appActive_ = true;
  SDL_Window* hosted_ = nullptr;
  bool hostedFailed_ = false;
  POINT hostedSize_{640, 480};
  uint64_t lastHostedPoll_ = 0;
  std::map<HWND, desktop::MonitorBlanks> blanks_;  // black covers of the other monitors
};

}  // namespace platform
