// settings.h — tessera's one setting, the number of flying objects, kept in
// the settings file named after the program ("<name>.INI", section "Config",
// key "MaxObjects"), and the dialog that edits it.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

namespace tessera {

constexpr int32_t kDefaultMaxObjects = 20;

// "Config"/"MaxObjects", default 20 when the file, section or key is missing.
int32_t ReadMaxObjects();
// Writes the value as decimal text. False when it was not written; the
// settings store has then said why on standard error.
bool WriteMaxObjects(int32_t value);

// The configuration dialog (template 130). enteredCount starts at 0 and holds
// a value from 10 to 50 once the dialog ended with IDOK.
class ConfigDialog : public platform::Dialog {
 public:
  ConfigDialog();
  int32_t enteredCount = 0;

 protected:
  void DoDataExchange(platform::DataExchange& exchange) override;
};

}  // namespace tessera
