// programs_list.cpp — the `programs:` list of ~/.xscreensaver, edited line by line.
#include "programs_list.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <optional>
#include <set>

namespace savers::registration {
namespace {

struct Lines {
  std::vector<std::string> lines;
  bool finalNewline = false;
};

Lines Split(const std::string& text) {
  Lines result;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      result.lines.push_back(text.substr(start));
      return result;
    }
    result.lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  result.finalNewline = !text.empty();
  return result;
}

std::string Join(const Lines& lines) {
  std::string text;
  for (size_t i = 0; i < lines.lines.size(); ++i) {
    text += lines.lines[i];
    if (i + 1 < lines.lines.size() || lines.finalNewline) text += '\n';
  }
  return text;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// A line that ends in an odd number of backslashes goes on in the next one.
bool Continues(const std::string& line) {
  size_t count = 0;
  for (size_t i = line.size(); i > 0 && line[i - 1] == '\\'; --i) ++count;
  return count % 2 == 1;
}

// A line's part of the value: without its continuing backslash.
std::string ValuePart(const std::string& line) {
  return Continues(line) ? line.substr(0, line.size() - 1) : line;
}

// Where the value of a "programs:" resource line starts, if it is one
// ("programs:", "*programs:", "xscreensaver.programs:").
std::optional<size_t> ProgramsValueStart(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  for (const char* prefix : {"*", "xscreensaver.", "XScreenSaver.", "xscreensaver*", "XScreenSaver*"}) {
    const std::string text = prefix;
    if (line.compare(i, text.size(), text) == 0) {
      i += text.size();
      break;
    }
  }
  const std::string key = "programs";
  if (line.compare(i, key.size(), key) != 0) return std::nullopt;
  i += key.size();
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != ':') return std::nullopt;
  return i + 1;
}

struct Block {
  size_t first = 0;       // the "programs:" line
  size_t last = 0;        // the line that does not continue
  size_t valueStart = 0;  // in the first line
};

std::optional<Block> FindBlock(const Lines& lines) {
  bool continued = false;
  for (size_t i = 0; i < lines.lines.size(); ++i) {
    const std::string& line = lines.lines[i];
    const bool inside = continued;
    continued = Continues(line);
    if (inside) continue;
    const std::optional<size_t> start = ProgramsValueStart(line);
    if (!start) continue;
    Block block{i, i, *start};
    while (block.last + 1 < lines.lines.size() && Continues(lines.lines[block.last])) ++block.last;
    return block;
  }
  return std::nullopt;
}

// A line's entries: its part of the value cut at every "\n".
std::vector<std::string> Entries(const std::string& valuePart) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (true) {
    const size_t end = valuePart.find("\\n", start);
    std::string entry = valuePart.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!Trim(entry).empty()) entries.push_back(entry);
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return entries;
}

std::string LineValue(const Lines& lines, const Block& block, size_t index) {
  const std::string& line = lines.lines[index];
  return ValuePart(index == block.first ? line.substr(block.valueStart) : line);
}

// The programs of every entry of the list.
std::set<std::string> ListedPrograms(const Lines& lines, const Block& block) {
  std::set<std::string> programs;
  for (size_t i = block.first; i <= block.last; ++i)
    for (const std::string& entry : Entries(LineValue(lines, block, i)))
      if (std::string name = EntryProgram(entry); !name.empty()) programs.insert(name);
  return programs;
}

bool EndsWithNewlineEscape(const std::string& text) {
  const std::string trimmed = Trim(text);
  return trimmed.size() >= 2 && trimmed.compare(trimmed.size() - 2, 2, "\\n") == 0;
}

}  // namespace

std::string EntryProgram(const std::string& entry) {
  std::string rest = Trim(entry);
  if (!rest.empty() && rest[0] == '-') rest = Trim(rest.substr(1));
  // A visual name ("GL:", "default-n:") ends in a colon before a blank.
  size_t i = 0;
  while (i < rest.size() &&
         (std::isalnum(static_cast<unsigned char>(rest[i])) || rest[i] == '-' || rest[i] == '_'))
    ++i;
  if (i > 0 && i < rest.size() && rest[i] == ':' && (i + 1 == rest.size() || IsBlank(rest[i + 1])))
    rest = Trim(rest.substr(i + 1));
  if (!rest.empty() && rest[0] == '"') {
    const size_t close = rest.find('"', 1);
    rest = close == std::string::npos ? std::string() : Trim(rest.substr(close + 1));
  }
  std::string program;
  if (!rest.empty() && rest[0] == '\'') {
    // A path quoted for the shell (as this command writes one with blanks).
    const size_t close = rest.find('\'', 1);
    program = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    program = rest.substr(0, end);
  }
  const size_t slash = program.rfind('/');
  return slash == std::string::npos ? program : program.substr(slash + 1);
}

Edit AddSavers(const std::string& file, const std::vector<Saver>& savers) {
  Edit edit{file, {}, {}};
  Lines lines = Split(file);
  const std::optional<Block> block = FindBlock(lines);
  if (!block) {
    edit.error = "it has no programs: list (XScreenSaver writes one when its settings are saved)";
    return edit;
  }
  const std::set<std::string> listed = ListedPrograms(lines, *block);
  std::vector<std::string> added;
  for (const Saver& saver : savers) {
    const std::string name = EntryProgram(saver.command);
    if (listed.count(name) != 0) continue;
    added.push_back("  \"" + saver.label + "\"\t\t" + saver.command + "\t\t\t    \\n\\");
    edit.names.push_back(name);
  }
  if (added.empty()) return edit;

  std::vector<std::string>& text = lines.lines;
  const std::string& firstLine = text[block->first];
  if (Continues(firstLine) && Trim(LineValue(lines, *block, block->first)).empty()) {
    // The usual form: "programs:" alone on its line, one entry per line below.
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(block->first + 1), added.begin(), added.end());
  } else {
    // Go on from the list's last line, which then needs its "\n" and a backslash.
    std::string& last = text[block->last];
    const std::string value = LineValue(lines, *block, block->last);
    if (Trim(value).empty() || EndsWithNewlineEscape(value))
      last += "\\";
    else
      last += " \\n\\";
    added.back().pop_back();  // the new last line ends the list
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(block->last + 1), added.begin(), added.end());
  }
  edit.text = Join(lines);
  return edit;
}

Edit RemoveSavers(const std::string& file, const std::vector<std::string>& programs) {
  Edit edit{file, {}, {}};
  Lines lines = Split(file);
  const std::optional<Block> block = FindBlock(lines);
  if (!block) return edit;
  auto ours = [&programs](const std::string& entry) {
    return std::find(programs.begin(), programs.end(), EntryProgram(entry)) != programs.end();
  };
  std::vector<size_t> drop;
  for (size_t i = block->first; i <= block->last; ++i) {
    const std::vector<std::string> entries = Entries(LineValue(lines, *block, i));
    const size_t count = static_cast<size_t>(std::count_if(entries.begin(), entries.end(), ours));
    if (count == 0) continue;
    if (i == block->first || entries.size() != 1) {
      edit.error = "line " + std::to_string(i + 1) +
                   " holds a saver to remove together with other text; remove it by hand";
      return edit;
    }
    drop.push_back(i);
    edit.names.push_back(EntryProgram(entries.front()));
  }
  if (drop.empty()) return edit;

  size_t last = block->last;
  const bool lastDropped = drop.back() == last;
  for (auto it = drop.rbegin(); it != drop.rend(); ++it) {
    lines.lines.erase(lines.lines.begin() + static_cast<std::ptrdiff_t>(*it));
    --last;
  }
  // When the list's last line went, the line now last must end the value.
  if (lastDropped && Continues(lines.lines[last])) lines.lines[last].pop_back();
  edit.text = Join(lines);
  return edit;
}

}  // namespace savers::registration
