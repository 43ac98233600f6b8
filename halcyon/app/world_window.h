// world_window.h — the saver's windows. WorldWindow owns the renderer and
// turns every paint into one frame; WorldSaverWindow is the full-screen,
// top-most window of a run, which hides the cursor and closes on input.
#pragma once

#include <cstdint>

#include "halcyon/render/world_renderer.h"
#include "platform/host.h"
#include "platform/window.h"

namespace halcyon {

class WorldWindow : public platform::Window {
 public:
  WorldWindow(BOOL autoDelete, RendererServices services = RendererServices::Defaults());
  ~WorldWindow() override;

  // Registers the window class on the first call, then creates the window
  // (WS_VISIBLE always added, no title, the rectangle as position and size).
  // The last two arguments are ignored.
  bool Create(DWORD exStyle, DWORD style, const RECT& rect, platform::Window* parent, void* unused1 = nullptr,
              void* unused2 = nullptr);

  WorldRenderer renderer;
  int32_t blackFillCount = 0;
  BOOL autoDelete;

 protected:
  const platform::MessageTable* GetMessageTable() const override;
  void PostNcDestroy() override;
  static const platform::MessageTable::Entry messageEntries[];
  static const platform::MessageTable messageTable;

  platform::Reply OnCreate(const platform::Message& message);
  // Black fill at the first paint, a frame, 4 ms of sleep, invalidate again.
  platform::Reply OnPaint(const platform::Message& message);
};

class WorldSaverWindow : public WorldWindow {
 public:
  // hosted: drawing into another program's window, which ends the saver
  // itself; input then closes nothing.
  explicit WorldSaverWindow(RendererServices services = RendererServices::Defaults(),
                            bool hosted = platform::IsHosted());
  ~WorldSaverWindow() override;

  // Top-most pop-up over the whole primary screen.
  void CreateFullScreen();

  int32_t lastMouseX = -1;
  int32_t lastMouseY = -1;

 protected:
  const platform::MessageTable* GetMessageTable() const override;
  static const platform::MessageTable::Entry messageEntries[];
  static const platform::MessageTable messageTable;

  void Close();
  platform::Reply OnSysCommand(const platform::Message& message);
  platform::Reply OnDestroy(const platform::Message& message);
  platform::Reply OnSetCursor(const platform::Message& message);
  platform::Reply OnNcActivate(const platform::Message& message);
  platform::Reply OnActivate(const platform::Message& message);
  platform::Reply OnActivateApp(const platform::Message& message);
  platform::Reply OnMouseMove(const platform::Message& message);
  platform::Reply OnInput(const platform::Message& message);

 private:
  bool hosted;
};

}  // namespace halcyon
