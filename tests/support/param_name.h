// param_name.h — readable names for parameterised test cases: any text made
// into a GoogleTest name (letters and digits kept, the rest one underscore),
// numbered where the text alone may repeat.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>

namespace test_support {

inline std::string TestName(const std::string& text) {
  std::string name;
  for (unsigned char c : text) {
    if (std::isalnum(c)) {
      name += static_cast<char>(c);
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? "empty" : name;
}

// The text's name with the case's index behind it, for texts that may repeat.
inline std::string TestName(const std::string& text, size_t index) {
  return std::to_string(index) + "_" + TestName(text);
}

}  // namespace test_support
