// text_store_names.h — on Windows the text stores (registry.cpp,
// profile_file.cpp) stand behind the system's own: a run with SAVER_HOME
// set (tests, a copy kept apart from the user's settings) keeps its
// settings as text there, as on Linux; any other run uses the system's
// registry and settings file (platform/win32/win32_stores.cpp). Their calls
// take these names there. Include after platform/win32.h.
#pragma once

#ifdef _WIN32
#define RegCreateKeyExA TextRegCreateKeyExA
#define RegOpenKeyExA TextRegOpenKeyExA
#define RegQueryValueExA TextRegQueryValueExA
#define RegSetValueExA TextRegSetValueExA
#define RegCloseKey TextRegCloseKey
#define GetPrivateProfileStringA TextGetPrivateProfileStringA
#define GetPrivateProfileIntA TextGetPrivateProfileIntA
#define WritePrivateProfileStringA TextWritePrivateProfileStringA
#endif
