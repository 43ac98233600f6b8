// test_support.h — a clean headless platform and settings folder for every
// test, and a window that records the messages it sees.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/testing.h"
#include "platform/window.h"

namespace platform::test {

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::Reset();
    // A parameterised test's name holds a '/', which would make the folder
    // a nested one whose parent TearDown leaves behind.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '_';
    home =
        std::filesystem::temp_directory_path() / ("platform_tests_" + std::to_string(getpid()) + "_" + name);
    std::filesystem::remove_all(home);
    setenv("SAVER_HOME", home.string().c_str(), 1);
  }
  void TearDown() override {
    testing::Reset();
    std::filesystem::remove_all(home);
  }
  std::filesystem::path home;
};

// Records every message that reaches its table, then lets default
// processing follow (or answers with a fixed result where set).
class RecordingWindow : public Window {
 public:
  struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Seen> seen;
  std::vector<UINT>* log = nullptr;  // shared log across windows, when given

  bool Create(DWORD style = WS_POPUP | WS_VISIBLE, RECT rect = {0, 0, 640, 480}, HWND parent = 0,
              DWORD exStyle = 0) {
    std::string cls = RegisterClass("RecordingWindow", CS_HREDRAW | CS_VREDRAW);
    return CreateEx(exStyle, cls, "", style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent);
  }
  size_t Count(UINT message) const {
    size_t n = 0;
    for (const auto& s : seen) n += s.message == message;
    return n;
  }
  // The last time a message was seen (a zero record when never).
  Seen Last(UINT message) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it)
      if (it->message == message) return *it;
    return Seen{0, 0, 0};
  }
  std::vector<UINT> Messages() const {
    std::vector<UINT> out;
    for (const auto& s : seen) out.push_back(s.message);
    return out;
  }

 protected:
  LRESULT DefaultProc(const Message& message) override {
    seen.push_back({message.message, message.wParam, message.lParam});
    if (log != nullptr) log->push_back(message.message);
    return Window::DefaultProc(message);
  }
};

}  // namespace platform::test
