// wrap_words.cpp — splitting text into lines by the dialog font's widths.
#include <string>
#include <vector>

#include "painter.h"

namespace platform::dialog {

std::vector<std::string> WrapWords(const Font& font, const std::string& text, int width) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t newline = text.find('\n', start);
    const std::string paragraph =
        text.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
    std::string line;
    size_t pos = 0;
    while (pos < paragraph.size()) {
      size_t end = paragraph.find(' ', pos);
      if (end == std::string::npos) end = paragraph.size();
      const std::string word = paragraph.substr(pos, end - pos);
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && font.Width(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      pos = end + 1;
    }
    if (!line.empty() || paragraph.empty() || newline != std::string::npos || lines.empty())
      lines.push_back(line);
    if (newline == std::string::npos) break;
    start = newline + 1;
  }
  return lines;
}

}  // namespace platform::dialog
