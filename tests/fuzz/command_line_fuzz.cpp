// command_line_fuzz.cpp — the command line: fields (the input cut at its
// zero bytes) built into a line are read back unchanged, tessera's argument
// text is exactly the arguments as built, and any line at all is read by
// both programs' rules without harm.
#include "app/run_mode.h"
#include "fuzz_targets.h"
#include "platform/host.h"
#include "tessera/app/saver_app.h"

namespace fuzz {

int CommandLine(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> fields;
  for (size_t start = 0;;) {
    const size_t end = text.find('\0', start);
    fields.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos || fields.size() == 8) break;
    start = end + 1;
  }
  const std::vector<std::string> arguments(fields.begin() + 1, fields.end());
  const std::string line = platform::BuildCommandLine(fields[0], arguments);
  if (platform::SplitCommandLine(line) != fields) Broken("command_line", "a built line does not read back");
  std::string expected;
  for (const std::string& argument : arguments) {
    if (!expected.empty()) expected += ' ';
    expected += platform::QuoteCommandLineField(argument);
  }
  // With no argument, or only empty ones, the text is what the quotes make.
  if (tessera::ArgumentText(line) != expected)
    Broken("command_line", "tessera's argument text is not the arguments");
  if (tessera::IsConfigureArgument(tessera::ArgumentText(line)) &&
      !(arguments.size() == 1 &&
        (arguments[0] == "-c" || arguments[0] == "-C" || arguments[0] == "/c" || arguments[0] == "/C")))
    Broken("command_line", "configuration without -c or /c");

  // The raw text as a line of its own.
  (void)tessera::IsConfigureArgument(tessera::ArgumentText(text));
  (void)halcyon::ModeFromArguments(platform::SplitCommandLine(text));
  return 0;
}

}  // namespace fuzz
