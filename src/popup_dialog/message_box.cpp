#include "popup_dialog/message_box.h"

#include "popup_dialog/dlg_base.h"
#include "popup_dialog/label_ui2.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_container.h"

namespace {

constexpr int kTypeOk = 0;
constexpr int kTypeOkCancel = 1;
constexpr int kTypeYesNo = 4;

void SetButtonImages(CButtonUI* button, const wchar_t* file) {
  const std::wstring name = std::wstring(L"file='") + file + L"' source='";
  button->SetAttribute(L"normalimage", name + L"0,0,124,36'");
  button->SetAttribute(L"hotimage", name + L"124,0,248,36'");
  button->SetAttribute(L"pushedimage", name + L"248,0,372,36'");
}

}  // namespace

CMessageBox::CMessageBox(const std::wstring& text, int type, const std::wstring& align, int builtin,
                         const std::wstring& right_text)
    : text_(text), align_(align), type_(type & 0xF), builtin_(builtin) {
  switch (type_) {
    case kTypeOk:
      right_text_ = right_text.empty() ? L"确定" : right_text;
      break;
    case kTypeOkCancel:
      right_text_ = right_text.empty() ? L"确定" : right_text;
      left_text_ = L"取消";
      break;
    case kTypeYesNo:
      right_text_ = L"是";
      left_text_ = L"否";
      right_result_ = 6;
      left_result_ = 7;
      break;
    default:
      // Other types have no buttons of their own; the box still offers
      // one to close it.
      right_text_ = L"确定";
      break;
  }
}

void CMessageBox::InitWindow() {
  CenterWindow();
  CContainerUI* buttons = dynamic_cast<CContainerUI*>(paint_manager_.FindControl(L"btn_area"));
  if (buttons) {
    auto* right = new CButtonUI();
    right->SetName(L"right_btn");
    SetButtonImages(right, L"images/btn-orange.png");
    right->SetText(right_text_);
    right->SetTextColor(0xFFFFFFFF);
    right->SetAttribute(L"float", L"true");
    right->SetAttribute(L"font", L"3");
    const bool one_button = !right_text_.empty() && left_text_.empty();
    right->SetAttribute(L"pos", one_button ? L"108,0,232,36" : L"184,0,318,36");
    if (!one_button) {
      auto* left = new CButtonUI();
      left->SetName(L"left_btn");
      SetButtonImages(left, L"images/btn-grey.png");
      left->SetText(left_text_);
      left->SetTextColor(0xFF888888);
      left->SetAttribute(L"float", L"true");
      left->SetAttribute(L"pos", L"32,0,156,36");
      left->SetAttribute(L"font", L"3");
      left_button_ = left;
      buttons->Add(left);
    }
    right_button_ = right;
    buttons->Add(right);
  }
  CContainerUI* content = dynamic_cast<CContainerUI*>(paint_manager_.FindControl(L"content_area"));
  if (content && !text_.empty()) {
    auto* label = new CLabelUI2();
    label->SetText(text_);
    label->SetTextColor(0xFF888888);
    label->SetAttribute(L"font", L"3");
    label->SetAttribute(L"align", align_);
    label->SetAlign(align_);
    label->SetAttribute(L"float", L"true");
    label->SetAttribute(L"pos", L"43,25,343,90");
    message_label_ = label;
    content->Add(label);
  }
  CUseZipResourceDuiWnd::InitWindow();
}

void CMessageBox::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender ? msg.pSender->GetName() : std::wstring();
  if (name == L"cls") {
    Close(kCloseResult);
  } else if (name == L"right_btn") {
    Close(static_cast<UINT>(right_result_));
  } else if (name == L"left_btn") {
    Close(static_cast<UINT>(left_result_));
  }
}

int CMessageBox::ShowMessage(HWND owner, const std::wstring& text, int type,
                             const std::wstring& align, int builtin) {
  CMessageBox box(text, type, align, builtin);
  return static_cast<int>(RunSkinnedModal(box, owner));
}

int CMessageBox::ShowNotice(HWND owner, const std::wstring& text, const std::wstring& button_text) {
  CMessageBox box(text, kTypeOk, L"left", 0, button_text);
  return static_cast<int>(RunSkinnedModal(box, owner));
}
