// dialog_script_fuzz.cpp — SAVER_DIALOG_SCRIPT: any text parses, and plays
// on both programs' configuration dialogs (headless) until they end, with
// what OK confirms written to the settings stores.
#include "dialog/script.h"
#include "fuzz_targets.h"
#include "halcyon/resources/dialog_templates.h"
#include "halcyon/settings/configuration.h"
#include "platform/dialog.h"
#include "platform/host.h"
#include "platform/window.h"
#include "tessera/resources/dialog_templates.h"
#include "tessera/settings/settings.h"

namespace fuzz {

int DialogScript(const uint8_t* data, size_t size) {
  Scratch();
  static platform::App app;
  static const bool ready = [] {
    app.SetRegistryKey("Corvane\\Farreach");
    tessera::RegisterDialogTemplates();
    halcyon::RegisterDialogTemplates();
    // Message boxes (the count's checks) are answered, not shown.
    platform::SetMessageBoxHook([](HWND, const std::string&, const std::string&, UINT) { return IDOK; });
    return true;
  }();
  (void)ready;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<platform::dialog::ScriptAction> actions = platform::dialog::ParseScript(text);
  if (actions.size() > text.size()) Broken("dialog_script", "more actions than the text has bytes");
  // The dialogs live for a few hundred actions at most: a longer script is
  // the same work again.
  if (actions.size() > 200) return 0;

  platform::SetDialogScript(text);
  tessera::ConfigDialog count;
  const INT_PTR result = count.DoModal();
  if (result == IDOK && (count.enteredCount < 10 || count.enteredCount > 50))
    Broken("dialog_script", "OK with a count outside 10 to 50");
  platform::SetDialogScript(text);
  halcyon::RunConfigurationDialog(app);
  platform::ClearDialogScript();
  return 0;
}

}  // namespace fuzz
