// terminal.cpp — a dialog as a line-oriented form on the terminal, for a
// machine without a display: the same fields, buttons, checks and messages.
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "dialog_state.h"
#include "terminal_input.h"

namespace platform {

using dialog::Control;
using dialog::Lower;

namespace {

// A button's name as typed: its text in lower case without "&" and "...".
std::string ButtonName(const std::string& text) {
  std::string name;
  for (char c : text)
    if (c != '&' && c != '.') name += c;
  return Lower(name);
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

void Dialog::State::RunTerminal() {
  // The fields in tab order, each with the label that stands left of it.
  std::vector<int> fields;
  for (size_t i = 0; i < controls.size(); ++i) {
    const ItemKind kind = controls[i]->Item().kind;
    if (kind == ItemKind::Edit || kind == ItemKind::CheckBox) fields.push_back(static_cast<int>(i));
  }
  auto label = [&](const Control& field) {
    if (field.Item().kind == ItemKind::CheckBox) return field.Text();
    const RECT& f = field.Rect();
    const Control* best = nullptr;
    for (const auto& control : controls) {
      if (control->Item().kind != ItemKind::Static || control->Text().empty()) continue;
      const RECT& r = control->Rect();
      const int middle = (r.top + r.bottom) / 2;
      if (middle < f.top || middle > f.bottom || r.left >= f.left) continue;
      if (best == nullptr || r.left > best->Rect().left) best = control.get();
    }
    return best != nullptr ? best->Text() : std::string("Field");
  };
  auto printForm = [&](bool withHelp) {
    std::printf("\n%s\n", dialogTemplate.caption.c_str());
    for (size_t n = 0; n < fields.size(); ++n) {
      const Control& field = *controls[fields[n]];
      if (field.Item().kind == ItemKind::CheckBox) {
        const bool checked = dialog.IsDlgButtonChecked(field.Id()) != BST_UNCHECKED;
        std::printf("  %zu. [%c] %s\n", n + 1, checked ? 'x' : ' ', field.Text().c_str());
      } else {
        std::printf("  %zu. %s %s\n", n + 1, label(field).c_str(), field.Text().c_str());
      }
    }
    std::printf("  Buttons:");
    for (const auto& control : controls) {
      if (control->IsPushButton()) std::printf(" [%s]", control->Text().c_str());
    }
    std::printf("\n");
    if (withHelp) {
      std::printf(
          "A field's number changes it, a button's name presses it, an empty line or \"?\" shows "
          "the form again.\n");
    }
    std::fflush(stdout);
  };

  printForm(true);
  while (!dialog.ended) {
    if (!PumpPendingMessages()) {
      if (!dialog.ended) dialog.EndDialog(IDCANCEL);
      break;
    }
    if (dialog.ended) break;
    std::printf("%s> ", dialogTemplate.caption.c_str());
    std::fflush(stdout);
    std::string line;
    const auto ended = [this] { return dialog.ended; };
    if (!dialog::ReadTerminalLine(line, ended)) {
      // End of input (or Ctrl+C) is Cancel.
      std::printf("\n");
      Notify(IDCANCEL, BN_CLICKED);
      if (!dialog.ended) dialog.EndDialog(IDCANCEL);
      break;
    }
    const std::string command = Trimmed(line);
    if (command.empty() || command == "?") {
      printForm(true);
      continue;
    }
    char* end = nullptr;
    const long number = std::strtol(command.c_str(), &end, 10);
    if (end != nullptr && *end == '\0' && number >= 1 && number <= static_cast<long>(fields.size())) {
      Control& field = *controls[fields[number - 1]];
      if (field.Item().kind == ItemKind::CheckBox) {
        std::string error;
        Apply({"toggle", std::to_string(field.Id())}, error);
      } else {
        std::printf("%s [%s]: ", label(field).c_str(), field.Text().c_str());
        std::fflush(stdout);
        std::string value;
        if (!dialog::ReadTerminalLine(value, ended)) continue;
        dialog.SetDlgItemText(field.Id(), value);
      }
    } else {
      bool pressed = false;
      for (const auto& control : controls) {
        if (control->IsPushButton() && ButtonName(control->Text()) == Lower(command)) {
          std::string error;
          Apply({"click", std::to_string(control->Id())}, error);
          pressed = true;
          break;
        }
      }
      if (!pressed) {
        // Anything else is read as script actions.
        for (const dialog::ScriptAction& action : dialog::ParseScript(command)) {
          std::string error;
          if (!Apply(action, error)) std::printf("%s: %s\n", command.c_str(), error.c_str());
        }
      }
    }
    if (!pngPath.empty() && !dialog.ended) SavePng(pngPath);
    if (!dialog.ended) printForm(false);
  }
}

}  // namespace platform
