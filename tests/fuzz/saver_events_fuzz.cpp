// saver_events_fuzz.cpp — SAVER_EVENTS: any text parses into events and
// messages about skipped entries, with events in script order.
#include "fuzz_targets.h"
#include "headless/script.h"

namespace fuzz {

int SaverEvents(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const platform::Script script = platform::ParseScript(text);
  if (script.events.size() > text.size()) Broken("saver_events", "more events than the text has bytes");
  return 0;
}

}  // namespace fuzz
