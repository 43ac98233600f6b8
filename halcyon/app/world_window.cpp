// world_window.cpp — the paint-driven frame step, the input rules and the
// orderly stop of halcyon's saver window.
#include "halcyon/app/world_window.h"

#include <string>

namespace halcyon {

using platform::Bind;
using platform::Message;
using platform::MessageTable;
using platform::Reply;

// ---- WorldWindow ---------------------------------------------------------------

const MessageTable::Entry WorldWindow::messageEntries[] = {
    {WM_PAINT, 0, &Bind<&WorldWindow::OnPaint>},
    {WM_CREATE, 0, &Bind<&WorldWindow::OnCreate>},
};
const MessageTable WorldWindow::messageTable = {&platform::Window::messageTable, messageEntries};

WorldWindow::WorldWindow(BOOL autoDeleteIn, RendererServices services)
    : renderer(std::move(services)), autoDelete(autoDeleteIn) {}

WorldWindow::~WorldWindow() = default;

const MessageTable* WorldWindow::GetMessageTable() const {
  return &messageTable;
}

bool WorldWindow::Create(DWORD exStyle, DWORD style, const RECT& rect, platform::Window* parent, void*,
                         void*) {
  static std::string className;
  if (className.empty()) className = RegisterClass("HalcyonWorldWindow", CS_HREDRAW | CS_VREDRAW);
  return CreateEx(exStyle, className, "", style | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent != nullptr ? parent->Handle() : 0);
}

void WorldWindow::PostNcDestroy() {
  if (autoDelete) delete this;
}

Reply WorldWindow::OnCreate(const Message& message) {
  return DefaultProc(message) == -1 ? Reply::Handled(-1) : Reply::Handled(0);
}

Reply WorldWindow::OnPaint(const Message&) {
  if (blackFillCount == 0) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    RECT client;
    GetClientRect(Handle(), &client);
    HBRUSH black = CreateSolidBrush(0);
    FillRect(dc, &client, black);
    DeleteObject(black);
    ++blackFillCount;
    EndPaint(Handle(), &paint);
  }
  renderer.DrawFrame();
  // A set-up that failed ("failed" has been shown) ends the saver in order
  // rather than trying again at every paint.
  if (renderer.SetupFailed()) {
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    return Reply::Handled(0);
  }
  Sleep(4);
  InvalidateRect(Handle(), nullptr, FALSE);
  return Reply::Handled(0);
}

// ---- WorldSaverWindow ----------------------------------------------------------

const MessageTable::Entry WorldSaverWindow::messageEntries[] = {
    {WM_SYSCOMMAND, 0, &Bind<&WorldSaverWindow::OnSysCommand>},
    {WM_DESTROY, 0, &Bind<&WorldSaverWindow::OnDestroy>},
    {WM_SETCURSOR, 0, &Bind<&WorldSaverWindow::OnSetCursor>},
    {WM_NCACTIVATE, 0, &Bind<&WorldSaverWindow::OnNcActivate>},
    {WM_ACTIVATE, 0, &Bind<&WorldSaverWindow::OnActivate>},
    {WM_ACTIVATEAPP, 0, &Bind<&WorldSaverWindow::OnActivateApp>},
    {WM_MOUSEMOVE, 0, &Bind<&WorldSaverWindow::OnMouseMove>},
    {WM_LBUTTONDOWN, 0, &Bind<&WorldSaverWindow::OnInput>},
    {WM_MBUTTONDOWN, 0, &Bind<&WorldSaverWindow::OnInput>},
    {WM_RBUTTONDOWN, 0, &Bind<&WorldSaverWindow::OnInput>},
    {WM_KEYDOWN, 0, &Bind<&WorldSaverWindow::OnInput>},
    {WM_SYSKEYDOWN, 0, &Bind<&WorldSaverWindow::OnInput>},
};
const MessageTable WorldSaverWindow::messageTable = {&WorldWindow::messageTable, messageEntries};

WorldSaverWindow::WorldSaverWindow(RendererServices services, bool hostedIn)
    : WorldWindow(1, std::move(services)), hosted(hostedIn) {}

WorldSaverWindow::~WorldSaverWindow() = default;

const MessageTable* WorldSaverWindow::GetMessageTable() const {
  return &messageTable;
}

void WorldSaverWindow::CreateFullScreen() {
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, nullptr);
}

void WorldSaverWindow::Close() {
  // In another program's window the host decides when the saver ends.
  if (!hosted) PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

Reply WorldSaverWindow::OnSysCommand(const Message& message) {
  if (message.wParam == SC_SCREENSAVE || message.wParam == SC_CLOSE) return Reply::Handled(0);
  return Reply::Default();
}

Reply WorldSaverWindow::OnDestroy(const Message&) {
  PostQuitMessage(0);
  return Reply::Default();
}

Reply WorldSaverWindow::OnSetCursor(const Message&) {
  SetCursor(nullptr);
  return Reply::Handled(TRUE);
}

Reply WorldSaverWindow::OnNcActivate(const Message& message) {
  if (message.wParam == FALSE) return Reply::Handled(FALSE);
  return Reply::Default();
}

Reply WorldSaverWindow::OnActivate(const Message& message) {
  if (LOWORD(message.wParam) == WA_INACTIVE) Close();
  return Reply::Default();
}

Reply WorldSaverWindow::OnActivateApp(const Message& message) {
  if (message.wParam == FALSE) Close();
  return Reply::Default();
}

Reply WorldSaverWindow::OnMouseMove(const Message& message) {
  const int x = GET_X_LPARAM(message.lParam), y = GET_Y_LPARAM(message.lParam);
  if (lastMouseX == -1 && lastMouseY == -1) {
    lastMouseX = x;
    lastMouseY = y;
  } else if (x != lastMouseX || y != lastMouseY) {
    Close();
  }
  return Reply::Default();
}

Reply WorldSaverWindow::OnInput(const Message&) {
  Close();
  return Reply::Default();
}

}  // namespace halcyon
