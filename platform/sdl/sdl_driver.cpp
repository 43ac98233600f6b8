// sdl_driver.cpp — the desktop backend over SDL2: real windows (a top-most
// pop-up covering the screen is a full-screen-desktop window), real input
// turned into Win32 messages for the active window, real message boxes, the
// black fill through the window's one renderer, and hosting in another
// program's X window (XScreenSaver), whose size is polled.
#include <SDL.h>
#include <SDL_syswm.h>
#include <time.h>

#include <cstdio>

#include "core/core.h"
#include "gfx/host.h"

#ifdef PLATFORM_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace platform {

namespace {

// How often a hosted window's size is asked for.
constexpr uint32_t kHostedSizePollMs = 250;
// Longest real sleep between looks at the close flag.
constexpr DWORD kSleepSliceMs = 50;

void SetHints() {
  // Let the desktop's own blanking and locking work while a saver runs.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // SIGINT and SIGTERM are the platform's: they close the saver in order.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Full-screen windows stay up when another window takes the focus; the
  // saver decides itself what losing the focus means.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
}

WPARAM VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<WPARAM>(key - SDLK_F1);
  switch (key) {
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_PAUSE:
      return VK_PAUSE;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    default:
      return 0xFF;  // a key Win32 has no code for: still a key press
  }
}

class SdlDriver : public Driver {
 public:
  SdlDriver() { startTicks = SDL_GetTicks64(); }

  ~SdlDriver() override {
    if (hosted != nullptr) SDL_DestroyWindow(hosted);
  }

  Backend Kind() const override { return Backend::Sdl; }

  void CreateNative(WindowRecord& record) override {
    if (IsHosted()) {
      // Only the saver's full-screen window has a picture: it is the host's
      // window. Anything else stays invisible while hosted.
      if (record.fullScreen && Hosted() != nullptr) {
        record.hosted = true;
        record.native = Hosted();
        POINT size = ScreenSize();
        record.rect = RECT{0, 0, size.x, size.y};
      }
      return;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (record.fullScreen) {
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else {
      if ((record.style & WS_POPUP) != 0 && (record.style & WS_CAPTION) != WS_CAPTION)
        flags |= SDL_WINDOW_BORDERLESS;
      if ((record.exStyle & WS_EX_TOPMOST) != 0) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    }
    const RECT& r = record.rect;
    SDL_Window* window =
        SDL_CreateWindow(record.title.c_str(), r.left, r.top, std::max<int>(r.right - r.left, 1),
                         std::max<int>(r.bottom - r.top, 1), flags);
    if (window == nullptr) {
      std::fprintf(stderr, "platform: cannot open a window: %s\n", SDL_GetError());
      return;
    }
    record.native = window;
    if (record.fullScreen) {
      SDL_Rect bounds;
      if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) == 0)
        record.rect = RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    }
  }

  void DestroyNative(WindowRecord& record) override {
    if (record.native == nullptr || record.hosted) return;
    gfx::host::ReleaseRenderer(record.native);
    SDL_DestroyWindow(record.native);
    record.native = nullptr;
  }

  void ShowNative(WindowRecord& record, bool show) override {
    if (record.native == nullptr || record.hosted) return;
    if (show) {
      SDL_ShowWindow(record.native);
      SDL_RaiseWindow(record.native);
      SDL_PumpEvents();
      // Where the pointer is now is where it was when the window appeared:
      // SDL's motion on entering the window is not a movement.
      int x = 0, y = 0;
      SDL_GetGlobalMouseState(&x, &y);
      lastPointer = POINT{x, y};
    } else {
      SDL_HideWindow(record.native);
    }
  }

  void PollInput() override {
    if (IsHosted()) PollHostedSize();
    SDL_Event event;
    while (SDL_PollEvent(&event)) Translate(event);
  }

  void WaitIdle(int timeoutMs) override {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, timeoutMs)) Translate(event);
  }

  DWORD TickCount() override {
    // Milliseconds since the machine started, as Win32 counts.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000);
  }

  void SleepMs(DWORD ms) override {
    DWORD until = TickCount() + ms;
    for (;;) {
      DWORD left = until - TickCount();
      if (static_cast<int32_t>(left) <= 0 || CloseRequestPending()) return;
      SDL_Delay(std::min(left, kSleepSliceMs));
    }
  }

  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    switch (type & 0xF0) {
      case MB_ICONHAND:
        flags = SDL_MESSAGEBOX_ERROR;
        break;
      case MB_ICONEXCLAMATION:
        flags = SDL_MESSAGEBOX_WARNING;
        break;
      default:
        break;
    }
    bool single = (type & 0xF) != MB_OKCANCEL;
    Uint32 okFlags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (single) okFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    SDL_MessageBoxButtonData buttons[2] = {{okFlags, IDOK, "OK"},
                                           {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"}};
    int count = single ? 1 : 2;
    // A box over a full-screen window must belong to it, or it opens behind.
    SDL_Window* parent = IsHosted() ? nullptr : SdlWindowOf(owner != 0 ? owner : ActiveHandle());
    SDL_MessageBoxData data{flags, parent, caption.c_str(), text.c_str(), count, buttons, nullptr};
    int pressed = IDCANCEL;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      return IDOK;
    }
    if (pressed < 0) pressed = count == 1 ? IDOK : IDCANCEL;  // closed without a button
    return pressed;
  }

  void Fill(WindowRecord& record, const RECT& rect, COLORREF colour) override {
    // Where a Glide display shows its picture, a fill of ours would only
    // flash between two frames.
    if (record.native == nullptr || gfx::host::DisplayDrawsInto(record.native)) return;
    SDL_Renderer* renderer = gfx::host::RendererFor(record.native, record.hosted);
    if (renderer == nullptr) return;
    SDL_SetRenderDrawColor(renderer, colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF, 255);
    SDL_Rect area{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    SDL_RenderFillRect(renderer, &area);
    SDL_RenderPresent(renderer);
  }

  POINT ScreenSize() override {
    if (IsHosted() && Hosted() != nullptr) return hostedSize;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return POINT{640, 480};
    return POINT{mode.w, mode.h};
  }

  void SetCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  std::optional<POINT> Pointer() override {
    if (IsHosted()) return std::nullopt;
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
  }

  void FrameShown(uint64_t) override {}

  SDL_Window* Hosted() {
    if (hosted == nullptr && !hostedFailed && TheCore().hostedWindow) {
      hosted = SDL_CreateWindowFrom(
          reinterpret_cast<const void*>(static_cast<uintptr_t>(*TheCore().hostedWindow)));
      if (hosted == nullptr) {
        hostedFailed = true;
        std::fprintf(stderr, "platform: cannot draw into window 0x%x: %s\n", *TheCore().hostedWindow,
                     SDL_GetError());
      } else {
        hostedSize = QueryHostedSize();
      }
    }
    return hosted;
  }

 private:
  WindowRecord* RecordOf(Uint32 windowId) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    if (window == nullptr) return nullptr;
    for (auto& [hwnd, record] : TheCore().windows)
      if (record.native == window) return &record;
    return nullptr;
  }

  // Screen position of a point reported relative to an SDL window.
  POINT ScreenPoint(Uint32 windowId, int x, int y) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    int wx = 0, wy = 0;
    if (window != nullptr) SDL_GetWindowPosition(window, &wx, &wy);
    return POINT{wx + x, wy + y};
  }

  LPARAM ClientPosition(POINT screen) {
    WindowRecord* record = FindRecord(ActiveHandle());
    if (record == nullptr) return 0;
    return MAKELPARAM(screen.x - record->rect.left, screen.y - record->rect.top);
  }

  void Translate(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
      RequestClose();
      return;
    }
    // A hosted saver hears nothing from the user: the host ends it.
    if (IsHosted()) return;
    switch (event.type) {
      case SDL_MOUSEMOTION: {
        if (event.motion.which == SDL_TOUCH_MOUSEID) return;
        POINT at = ScreenPoint(event.motion.windowID, event.motion.x, event.motion.y);
        if (entered == event.motion.windowID) {
          entered = 0;
          lastPointer = at;
          return;
        }
        if (lastPointer && lastPointer->x == at.x && lastPointer->y == at.y) return;
        lastPointer = at;
        PostPointerMove(at, false);
        return;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (event.button.which == SDL_TOUCH_MOUSEID) return;
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        UINT message;
        WPARAM held;
        switch (event.button.button) {
          case SDL_BUTTON_LEFT:
            message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            held = MK_LBUTTON;
            break;
          case SDL_BUTTON_MIDDLE:
            message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            held = MK_MBUTTON;
            break;
          case SDL_BUTTON_RIGHT:
            message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            held = MK_RBUTTON;
            break;
          default:
            return;
        }
        POINT at = ScreenPoint(event.button.windowID, event.button.x, event.button.y);
        PostInput(message, down ? held : 0, ClientPosition(at));
        return;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        bool down = event.type == SDL_KEYDOWN;
        bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        WPARAM vk = VirtualKey(event.key.keysym.sym);
        bool system = alt || vk == VK_F10 || vk == VK_MENU;
        LPARAM flags = 1 | (static_cast<LPARAM>(event.key.keysym.scancode & 0xFF) << 16) |
                       (alt ? KF_ALTDOWN_LPARAM : 0) |
                       (event.key.repeat != 0 || !down ? LPARAM{1} << 30 : 0) | (down ? 0 : LPARAM{1} << 31);
        UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        PostInput(message, vk, flags);
        return;
      }
      case SDL_TEXTINPUT: {
        // UTF-8 to the Latin-1 range WM_CHAR carries here; other characters become '?'.
        const unsigned char* p = reinterpret_cast<const unsigned char*>(event.text.text);
        while (*p != 0) {
          uint32_t code;
          int length = *p < 0x80 ? 1 : (*p >> 5) == 6 ? 2 : (*p >> 4) == 14 ? 3 : (*p >> 3) == 30 ? 4 : 1;
          code = length == 1 ? *p : *p & (0xFF >> (length + 1));
          int i = 1;
          for (; i < length && (p[i] & 0xC0) == 0x80; ++i) code = (code << 6) | (p[i] & 0x3F);
          p += i;
          PostInput(WM_CHAR, code < 256 ? code : '?', 1);
        }
        return;
      }
      case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        return;
      default:
        return;
    }
  }

  void TranslateWindowEvent(const SDL_WindowEvent& event) {
    WindowRecord* record = RecordOf(event.windowID);
    switch (event.event) {
      case SDL_WINDOWEVENT_ENTER:
        entered = event.windowID;
        return;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        // Focus moving between our own windows (a dialog and the Glide
        // window) is not the application losing activation.
        if (appActive && SDL_GetKeyboardFocus() == nullptr) {
          appActive = false;
          PostActivation(false);
        }
        return;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!appActive) {
          appActive = true;
          PostActivation(true);
        }
        return;
      case SDL_WINDOWEVENT_CLOSE:
        if (record != nullptr) {
          PostMessageA(record->hwnd, WM_CLOSE, 0, 0);
        } else {
          PostInput(WM_CLOSE, 0, 0);
        }
        return;
      case SDL_WINDOWEVENT_EXPOSED:
        if (record != nullptr) record->invalid = true;
        return;
      case SDL_WINDOWEVENT_MOVED:
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        if (record == nullptr || record->native == nullptr) return;
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(record->native, &x, &y);
        SDL_GetWindowSize(record->native, &w, &h);
        bool resized =
            w != record->rect.right - record->rect.left || h != record->rect.bottom - record->rect.top;
        record->rect = RECT{x, y, x + w, y + h};
        if (resized) {
          record->invalid = true;
          PostMessageA(record->hwnd, WM_SIZE, 0, MAKELPARAM(w, h));
        }
        return;
      }
      default:
        return;
    }
  }

  POINT QueryHostedSize() {
    int w = 0, h = 0;
#ifdef PLATFORM_HAVE_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (hosted != nullptr && SDL_GetWindowWMInfo(hosted, &info) && info.subsystem == SDL_SYSWM_X11) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) != 0) {
        w = attributes.width;
        h = attributes.height;
      }
    }
#endif
    if (w <= 0 || h <= 0) SDL_GetWindowSize(hosted, &w, &h);
    return POINT{std::max(w, 1), std::max(h, 1)};
  }

  // SDL is not told when the host resizes its window: ask now and then.
  void PollHostedSize() {
    if (Hosted() == nullptr) return;
    uint64_t now = SDL_GetTicks64();
    if (now - lastSizePoll < kHostedSizePollMs) return;
    lastSizePoll = now;
    POINT size = QueryHostedSize();
    if (size.x == hostedSize.x && size.y == hostedSize.y) return;
    hostedSize = size;
    for (auto& [hwnd, record] : TheCore().windows) {
      if (!record.hosted) continue;
      record.rect = RECT{0, 0, size.x, size.y};
      record.invalid = true;
      PostMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(size.x, size.y));
    }
  }

  uint64_t startTicks = 0;
  std::optional<POINT> lastPointer;
  Uint32 entered = 0;
  bool appActive = true;
  SDL_Window* hosted = nullptr;
  bool hostedFailed = false;
  POINT hostedSize{640, 480};
  uint64_t lastSizePoll = 0;
};

SdlDriver* theSdlDriver = nullptr;

}  // namespace

void PrepareSdl() {
  SetHints();
}

bool SdlDisplayAvailable() {
  SetHints();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "platform: no display (%s); running headless\n", SDL_GetError());
    return false;
  }
  // SDL falls back to drivers that show nothing when it cannot reach a display.
  const char* name = SDL_GetCurrentVideoDriver();
  std::string driver = name != nullptr ? name : "";
  if (driver == "dummy" || driver == "offscreen") {
    std::fprintf(stderr, "platform: no display (SDL video driver \"%s\"); running headless\n",
                 driver.c_str());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  return true;
}

std::unique_ptr<Driver> CreateSdlDriver() {
  auto driver = std::make_unique<SdlDriver>();
  theSdlDriver = driver.get();
  return driver;
}

SDL_Window* HostedSdlWindow() {
  if (CurrentBackend() != Backend::Sdl || theSdlDriver == nullptr) return nullptr;
  return theSdlDriver->Hosted();
}

}  // namespace platform
