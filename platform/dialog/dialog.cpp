// dialog.cpp — the dialog base class: modal run, data exchange and the
// dialog manager's default processing.
#include "platform/dialog.h"

#include "platform/host.h"
#include "platform/resources.h"

namespace platform {

RECT MapDialogRect(const RECT& du, DialogBaseUnits base) {
  auto mul = [](LONG v, int num, int den) {
    const long long p = static_cast<long long>(v) * num;
    return static_cast<LONG>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
  };
  return RECT{mul(du.left, base.cx, 4), mul(du.top, base.cy, 8), mul(du.right, base.cx, 4),
              mul(du.bottom, base.cy, 8)};
}

DialogBaseUnits FontBaseUnits(int) {
  return {};
}

void DataExchange::Text(int, std::string&) {}
void DataExchange::Text(int, int32_t&) {}
void DataExchange::MinMax(int, int32_t, int32_t, int32_t) {}
void DataExchange::Check(int, int32_t&) {}
void DataExchange::Fail(int) {
  failed = true;
}

const MessageTable::Entry Dialog::messageEntries[3] = {
    {WM_INITDIALOG, 0, &Bind<&Dialog::OnInitDialogMessage>},
    {WM_COMMAND, IDOK, &Bind<&Dialog::OnCommandOk>},
    {WM_COMMAND, IDCANCEL, &Bind<&Dialog::OnCommandCancel>},
};
const MessageTable Dialog::messageTable = {&Window::messageTable, messageEntries};

Dialog::Dialog(int templateId, Window* parent) : templateId(templateId), parent(parent) {}
Dialog::~Dialog() = default;
INT_PTR Dialog::DoModal() {
  return -1;
}
void Dialog::EndDialog(int r) {
  ended = true;
  result = r;
}
BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}
void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}
void Dialog::OnCancel() {
  EndDialog(IDCANCEL);
}
void Dialog::DoDataExchange(DataExchange&) {}
bool Dialog::UpdateData(bool save) {
  DataExchange exchange(*this, save);
  DoDataExchange(exchange);
  return !exchange.Failed();
}
std::string Dialog::GetDlgItemText(int) const {
  return {};
}
void Dialog::SetDlgItemText(int, const std::string&) {}
UINT Dialog::IsDlgButtonChecked(int) const {
  return 0;
}
void Dialog::CheckDlgButton(int, UINT) {}
void Dialog::GotoDlgCtrl(int) {}
int Dialog::FocusedControl() const {
  return 0;
}
void Dialog::CenterWindow() {}
bool Dialog::SavePng(const std::string&) const {
  return false;
}
DialogBaseUnits Dialog::BaseUnits() const {
  return {};
}
RECT Dialog::ControlRect(int) const {
  return {};
}
void Dialog::GetEditSelection(int, int& s, int& e) const {
  s = e = 0;
}
int Dialog::DefaultButton() const {
  return 0;
}
const MessageTable* Dialog::GetMessageTable() const {
  return &messageTable;
}
LRESULT Dialog::DefaultProc(const Message& m) {
  return DefWindowProcA(Handle(), m.message, m.wParam, m.lParam);
}
Reply Dialog::OnInitDialogMessage(const Message&) {
  return Reply::Handled(OnInitDialog());
}
Reply Dialog::OnCommandOk(const Message&) {
  OnOK();
  return Reply::Handled();
}
Reply Dialog::OnCommandCancel(const Message&) {
  OnCancel();
  return Reply::Handled();
}

bool OpenFileDialog(HWND, const std::string&, const std::string&, std::string&) {
  return false;
}
void SetDialogScript(const std::string&) {}
void ClearDialogScript() {}

}  // namespace platform
