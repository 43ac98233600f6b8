// terminal_input.h — reading lines typed on the terminal while the message
// queue keeps being served, so that Ctrl+C or SIGTERM (a close request) ends
// a dialog waiting for input.
#pragma once

#include <functional>
#include <string>

namespace platform::dialog {

// Reads one line (without its line end) from standard input. False at the
// end of input, when the message loop met WM_QUIT, or once stop() is true
// (asked about every 100 ms while nothing is typed).
bool ReadTerminalLine(std::string& line, const std::function<bool()>& stop);

}  // namespace platform::dialog
