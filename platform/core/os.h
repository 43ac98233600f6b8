// os.h — the few services the platform takes from the operating system
// itself, one file per system (os_posix.cpp, os_win32.cpp), so that the rest
// of the layer is the same code on Linux and Windows. This header includes
// no system header and none of platform/win32.h.
#pragma once

#include <filesystem>
#include <string>

namespace platform::os {

// The running program's own file; empty when it cannot be known.
std::filesystem::path ExecutablePath();

// Where the settings files live when SAVER_HOME does not say:
// $XDG_CONFIG_HOME/savers or ~/.config/savers on Linux, %APPDATA%\savers on
// Windows; a relative folder when none of those is known.
std::filesystem::path DefaultSettingsFolder();

// Gives the calling thread a Win32 priority level (THREAD_PRIORITY_*: -15
// idle, -2 lowest ... 2 highest): a nice value on Linux, where each thread
// has its own. False when the system refused.
bool SetCallingThreadPriority(int priority);

// Calls handler (from a signal handler or a console handler thread: it may
// only set a flag) when the program is asked to end: SIGTERM and SIGINT on
// Linux; Ctrl+C, Ctrl+Break and the console window's closing on Windows.
void OnEndRequest(void (*handler)(int));

// Standard input is an interactive terminal (a console on Windows).
bool InputIsTerminal();

// Waits up to timeoutMs for standard input to have something to read (or its
// end): 1 when it has, 0 when the time ran out, -1 on an error.
int WaitForInput(int timeoutMs);

// Sets a variable of this process's environment, for what it starts or reads later.
void SetEnvironment(const char* name, const std::string& value);

}  // namespace platform::os
