// programs_list.h — adding screen savers to, and taking them out of, the
// `programs:` list of an XScreenSaver settings file (~/.xscreensaver), as
// text: every line that is not one of the savers' own stays as it was.
//
// The list is one X resource value over many lines: each line but the last
// ends in a backslash that continues it, and the entries are separated by the
// two characters "\n". An entry is [-] [VISUAL:] ["Label"] command line, where
// a leading "-" marks a saver switched off.
#pragma once

#include <string>
#include <vector>

namespace savers::registration {

struct Saver {
  std::string label;    // shown by XScreenSaver's settings, e.g. "Halcyon"
  std::string command;  // the whole command line, program first
};

struct Edit {
  std::string text;                // the new file (the old one when nothing changed or on error)
  std::vector<std::string> names;  // programs added or removed (their file names)
  std::string error;               // non-empty: the file was left alone, and why
};

// The file name of an entry's program ("halcyon" for
// `- GL: "Halcyon" /usr/libexec/xscreensaver/halcyon -s`); empty for a blank entry.
std::string EntryProgram(const std::string& entry);

// Adds the savers whose program is not in the list yet. The new lines go
// right after the "programs:" line when that line holds no entry of its own,
// else after the list's last line.
Edit AddSavers(const std::string& file, const std::vector<Saver>& savers);

// Removes the entries (on or off) whose program has one of the file names.
// Each must stand on a line of its own, as AddSavers and XScreenSaver write
// them; otherwise nothing is changed and the error says so.
Edit RemoveSavers(const std::string& file, const std::vector<std::string>& programs);

}  // namespace savers::registration
