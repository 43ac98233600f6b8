// testing.h — a small test interface to the platform layer: start every test
// from a clean headless platform, drive its virtual clock and frames, inject
// input written as SAVER_EVENTS entries, and read what was shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform {

// One message box that was shown (or answered by the hook).
struct ShownMessageBox {
  HWND owner = 0;
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
};

namespace testing {

// Destroys the windows left, empties the queue and the modal stack, clears
// the quit flag, the focus, the cursor, the hook, the frame limit, hosting
// and the record of message boxes, and puts a fresh headless backend (clock
// at 0, no pointer, no script) in place, whatever the environment says.
void Reset();

// As if n frames had been shown (the Glide library's swap listener).
void ShowFrames(uint64_t n = 1);
uint64_t ShownFrames();
// Loads a script as SAVER_EVENTS would.
void SetScript(const std::string& events);
// Plays entries in SAVER_EVENTS form at once (their frame numbers are not
// looked at): "0:mousemove 10 20;0:key escape". The messages are posted.
void Inject(const std::string& events);
// SAVER_FRAMES.
void SetFrameLimit(std::optional<uint64_t> frames);

const std::vector<ShownMessageBox>& MessageBoxes();
bool CursorVisible();
// FillRect calls that reached the backend.
uint64_t FillCount();
// Messages waiting in the queue (posted and input, not paints).
size_t QueuedMessages();

}  // namespace testing
}  // namespace platform
