#pragma once

#include <string>

#include "popup_dialog/dlg_base.h"

// The about box: the program's version, read from the version resource of
// its file, and links to the licence agreement and the privacy policy,
// which open in the default browser while the box stays open. "cls" (and
// Escape) close it with 2.
class DlgAbout2 : public CDlgBase {
 public:
  // The web pages of the two links.
  static constexpr const wchar_t* kAgreementUrl = L"https://lumora.example.com/agreement.html";
  static constexpr const wchar_t* kPrivacyUrl = L"https://lumora.example.com/privacy.html";

  // program_file: the file whose version is shown (empty: Lumora.exe in the
  // program's folder).
  explicit DlgAbout2(std::wstring program_file = std::wstring());

  const wchar_t* GetWindowClassName() const override { return L"DlgAbout2"; }
  std::wstring GetSkinFile() override { return L"about.xml"; }
  void InitWindow() override;
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;

  // "%d.%d.%d.%d" of a file's version resource; empty when it has none.
  static std::wstring ReadFileVersion(const std::wstring& path);

 private:
  std::wstring program_file_;
};
