#include "popup_dialog/dlg_about2.h"

#include <shellapi.h>
#include <winver.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "basic_lib/win_util.h"
#include "toolkit/ui_control.h"

DlgAbout2::DlgAbout2(std::wstring program_file) : program_file_(std::move(program_file)) {
  if (program_file_.empty()) {
    program_file_ = win_util::ProgramFolder() + L"Lumora.exe";
  }
}

std::wstring DlgAbout2::ReadFileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) {
    return std::wstring();
  }
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT info_size = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &info_size) || !info ||
      info_size < sizeof(VS_FIXEDFILEINFO)) {
    return std::wstring();
  }
  wchar_t text[64] = {};
  swprintf(text, 64, L"%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
           HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return text;
}

void DlgAbout2::InitWindow() {
  if (CControlUI* label = paint_manager_.FindControl(L"version_desc")) {
    label->SetText(L"版本信息：" + ReadFileVersion(program_file_));
  }
  CDlgBase::InitWindow();
}

void DlgAbout2::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"license" || name == L"privacy") {
    ShellExecuteW(nullptr, L"open", name == L"license" ? kAgreementUrl : kPrivacyUrl, nullptr,
                  nullptr, SW_SHOWNORMAL);
  } else if (name == L"cls") {
    Close(2);
  } else {
    CDlgBase::OnClick(msg);
  }
}

LRESULT DlgAbout2::ResponseDefaultKeyEvent(WPARAM wparam) {
  if (wparam == VK_ESCAPE) {
    Close(2);
    return TRUE;
  }
  return CDlgBase::ResponseDefaultKeyEvent(wparam);
}
