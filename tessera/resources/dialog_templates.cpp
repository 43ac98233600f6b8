// dialog_templates.cpp — the layout of tessera's two dialogs in dialog
// units, items in tab order, as the resource compiler would have built them.
#include "dialog_templates.h"

#include "platform/dialog.h"
#include "platform/resources.h"

namespace tessera {
namespace {

using platform::DialogItem;
using platform::DialogTemplate;
using platform::ItemKind;

constexpr int kPictureBitmap = 134;
constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | platform::DS_MODALFRAME | platform::DS_SETFONT;

DialogTemplate SaverWindowTemplate() {
  DialogTemplate t;
  t.id = 129;
  t.caption = "Varnholt Screen Saver";
  t.cx = 168;
  t.cy = 135;
  t.fontName = "MS Sans Serif";
  t.pointSize = 8;
  t.style = kDialogStyle;
  t.items = {
      {platform::IDC_STATIC, ItemKind::Picture, "", 7, 7, 153, 105, platform::SS_BITMAP, kPictureBitmap},
      {platform::IDC_STATIC, ItemKind::Static, "Varnholt Screen Saver Active", 32, 120, 102, 8,
       platform::SS_LEFT, 0},
      {IDOK, ItemKind::PushButton, "OK", 16, 106, 29, 11, WS_TABSTOP, 0},
  };
  return t;
}

DialogTemplate ConfigTemplate() {
  DialogTemplate t;
  t.id = 130;
  t.caption = "Configuration";
  t.cx = 178;
  t.cy = 226;
  t.fontName = "MS Sans Serif";
  t.pointSize = 8;
  t.style = kDialogStyle;
  t.items = {
      {IDOK, ItemKind::DefPushButton, "OK", 17, 205, 50, 14, WS_TABSTOP, 0},
      {IDCANCEL, ItemKind::PushButton, "Cancel", 108, 205, 50, 14, WS_TABSTOP, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Varnholt 3Dfx Screen Saver", 41, 15, 96, 8, platform::SS_LEFT,
       0},
      {platform::IDC_STATIC, ItemKind::GroupBox, "", 34, 7, 110, 21, 0, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Programming", 18, 142, 42, 8, platform::SS_LEFT, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Graphics and Models", 91, 142, 68, 8, platform::SS_LEFT, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Ines Kalb", 107, 153, 38, 8, platform::SS_LEFT, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Arno Wendt", 19, 153, 40, 8, platform::SS_LEFT, 0},
      {platform::IDC_STATIC, ItemKind::Static, "Number of Objects (10-50) :", 23, 180, 88, 8,
       platform::SS_LEFT, 0},
      {platform::IDC_STATIC, ItemKind::GroupBox, "Configuration", 18, 171, 140, 25, 0, 0},
      {1014, ItemKind::Edit, "", 123, 179, 23, 12,
       WS_BORDER | WS_TABSTOP | platform::ES_NUMBER | platform::ES_AUTOHSCROLL, 0},
      {134, ItemKind::Picture, "", 22, 36, 133, 92, platform::SS_BITMAP | platform::SS_REALSIZEIMAGE,
       kPictureBitmap},
  };
  return t;
}

}  // namespace

void RegisterDialogTemplates() {
  platform::RegisterDialogTemplate(SaverWindowTemplate());
  platform::RegisterDialogTemplate(ConfigTemplate());
}

}  // namespace tessera
