// dialog_templates.cpp — the layout of halcyon's configuration dialog in
// dialog units, items in tab order, as the resource compiler would have built it.
#include "halcyon/resources/dialog_templates.h"

#include "platform/dialog.h"
#include "platform/resources.h"

namespace halcyon {
namespace {

using platform::DialogItem;
using platform::DialogTemplate;
using platform::ItemKind;

DialogTemplate ConfigTemplate() {
  DialogTemplate t;
  t.id = 102;
  t.caption = "Farreach";
  t.cx = 255;
  t.cy = 154;
  t.fontName = "MS Sans Serif";
  t.pointSize = 8;
  t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | platform::DS_MODALFRAME | platform::DS_SETFONT;
  const DWORD left = platform::SS_LEFT | WS_GROUP;
  const DWORD centre = platform::SS_CENTER | WS_GROUP;
  t.items = {
      {IDOK, ItemKind::DefPushButton, "OK", 189, 114, 50, 14, WS_TABSTOP, 0},
      {IDCANCEL, ItemKind::PushButton, "Cancel", 189, 130, 50, 14, WS_TABSTOP, 0},
      {1008, ItemKind::PushButton, "Browse...", 195, 14, 50, 14, WS_TABSTOP, 0},
      {platform::IDC_STATIC, ItemKind::GroupBox, "Music", 8, 4, 242, 47, 0, 0},
      {1000, ItemKind::Edit, "", 51, 15, 140, 13, WS_BORDER | platform::ES_AUTOHSCROLL | WS_TABSTOP, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Filename", 17, 17, 29, 8, left, 0},
      {1021, ItemKind::CheckBox, "Disable Music", 18, 33, 60, 10, platform::BS_AUTOCHECKBOX, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Music playback by libopenmpt", 9, 135, 165, 8, left, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Programming and world design: Lena Varga", 9, 90, 217, 8,
       left, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Textures and sky art: Piet Holmgren", 9, 100, 192, 8, left,
       0},
      {platform::IDC_STATIC, ItemKind::Static, "Music \"trans.xm\": Oskar Lind", 9, 110, 176, 8, left, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Testing: the Corvane night shift", 9, 120, 172, 8, left, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Farreach 3Dfx Screen Saver", 9, 58, 239, 8, centre, 0},
      {platform::IDC_STATIC, ItemKind::Static, "A lone world turning over an endless floor", 9, 74, 239, 8,
       centre, 0},
  };
  return t;
}

}  // namespace

void RegisterDialogTemplates() {
  platform::RegisterDialogTemplate(ConfigTemplate());
}

}  // namespace halcyon
