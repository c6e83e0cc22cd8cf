#include "toolkit/dialog_builder.h"

#include <memory>
#include <vector>

#include "toolkit/paint_manager.h"
#include "toolkit/skin_resources.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_layouts.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_option.h"

using skin_attr::SameName;

CControlUI* CDialogBuilder::CreateBuiltinControl(const std::wstring& element) {
  if (SameName(element, L"Control")) {
    return new CControlUI();
  }
  if (SameName(element, L"Container")) {
    return new CContainerUI();
  }
  if (SameName(element, L"VerticalLayout")) {
    return new CVerticalLayoutUI();
  }
  if (SameName(element, L"HorizontalLayout")) {
    return new CHorizontalLayoutUI();
  }
  if (SameName(element, L"TabLayout")) {
    return new CTabLayoutUI();
  }
  if (SameName(element, L"Label")) {
    return new CLabelUI();
  }
  if (SameName(element, L"Text")) {
    auto* text = new CLabelUI();
    text->SetAttribute(L"multiline", L"true");
    return text;
  }
  if (SameName(element, L"Button")) {
    return new CButtonUI();
  }
  if (SameName(element, L"Option")) {
    return new COptionUI();
  }
  if (SameName(element, L"CheckBox")) {
    return new CCheckBoxUI();
  }
  if (SameName(element, L"Edit")) {
    return new CEditUI();
  }
  if (SameName(element, L"List")) {
    return new CListUI();
  }
  if (SameName(element, L"ListElement") || SameName(element, L"ListLabelElement") ||
      SameName(element, L"ListContainerElement")) {
    return new CListElementUI();
  }
  if (SameName(element, L"Combo")) {
    return new CComboUI();
  }
  return nullptr;
}

CControlUI* CDialogBuilder::Create(const std::wstring& skin_file, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, std::wstring* error) {
  std::vector<uint8_t> bytes;
  if (!manager->GetArchive()) {
    *error = L"no skin archive";
    return nullptr;
  }
  if (!manager->GetArchive()->ReadFile(skin_file, &bytes)) {
    *error = L"missing or damaged: " + skin_file;
    return nullptr;
  }
  CMarkupNode root;
  std::wstring reason;
  if (!ParseSkinMarkup(bytes, &root, &reason)) {
    *error = skin_file + L": " + reason;
    return nullptr;
  }
  CControlUI* tree = Create(root, callback, manager, &reason);
  if (!tree) {
    *error = skin_file + L": " + reason;
  }
  return tree;
}

void CDialogBuilder::ApplyWindowAttributes(const CMarkupNode& window) {
  skin_attr::CBox box;
  int cx = 0;
  int cy = 0;
  bool flag = false;
  bool use_shadow = false;
  std::wstring shadow_image;
  RECT shadow_size = {};
  for (const auto& [name, value] : window.attributes) {
    if (SameName(name, L"size") && skin_attr::ParseSize(value, &cx, &cy)) {
      manager_->SetInitSize(cx, cy);
    } else if (SameName(name, L"caption") && skin_attr::ParseBox(value, &box)) {
      manager_->SetCaptionRect({box.left, box.top, box.right, box.bottom});
    } else if (SameName(name, L"sizebox") && skin_attr::ParseBox(value, &box)) {
      manager_->SetSizeBox({box.left, box.top, box.right, box.bottom});
    } else if (SameName(name, L"roundcorner") && skin_attr::ParseSize(value, &cx, &cy)) {
      manager_->SetRoundCorner(cx, cy);
    } else if (SameName(name, L"mininfo") && skin_attr::ParseSize(value, &cx, &cy)) {
      manager_->SetMinInfo(cx, cy);
    } else if (SameName(name, L"maxinfo") && skin_attr::ParseSize(value, &cx, &cy)) {
      manager_->SetMaxInfo(cx, cy);
    } else if (SameName(name, L"bktrans") && skin_attr::ParseBool(value, &flag)) {
      manager_->SetLayered(flag);
    } else if (SameName(name, L"useshadow") && skin_attr::ParseBool(value, &flag)) {
      use_shadow = flag;
    } else if (SameName(name, L"shadowimage")) {
      shadow_image = value;
    } else if (SameName(name, L"shadowsize") && skin_attr::ParseBox(value, &box)) {
      shadow_size = {box.left, box.top, box.right, box.bottom};
    }
  }
  manager_->SetShadow(use_shadow, shadow_image, shadow_size);
}

CControlUI* CDialogBuilder::Create(const CMarkupNode& window, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager, std::wstring* error) {
  callback_ = callback;
  manager_ = manager;
  if (!SameName(window.name, L"Window")) {
    *error = L"the root element is not Window";
    return nullptr;
  }
  ApplyWindowAttributes(window);
  std::unique_ptr<CControlUI> root;
  for (const CMarkupNode& node : window.children) {
    if (SameName(node.name, L"Font")) {
      const std::wstring* face = node.Attribute(L"name");
      int size = 12;
      bool bold = false;
      bool underline = false;
      bool italic = false;
      bool is_default = false;
      if (const std::wstring* text = node.Attribute(L"size")) {
        skin_attr::ParseInt(*text, &size);
      }
      if (const std::wstring* text = node.Attribute(L"bold")) {
        skin_attr::ParseBool(*text, &bold);
      }
      if (const std::wstring* text = node.Attribute(L"underline")) {
        skin_attr::ParseBool(*text, &underline);
      }
      if (const std::wstring* text = node.Attribute(L"italic")) {
        skin_attr::ParseBool(*text, &italic);
      }
      if (const std::wstring* text = node.Attribute(L"default")) {
        skin_attr::ParseBool(*text, &is_default);
      }
      const std::wstring name = face ? *face : L"微软雅黑";
      manager_->AddFont(name, size, bold, underline, italic);
      if (is_default) {
        manager_->SetDefaultFont(name, size, bold, underline, italic);
      }
      continue;
    }
    if (SameName(node.name, L"Default")) {
      const std::wstring* name = node.Attribute(L"name");
      const std::wstring* value = node.Attribute(L"value");
      if (name && value) {
        manager_->AddDefaultAttributeList(*name, *value);
      }
      continue;
    }
    if (root) {
      *error = L"more than one root control";
      return nullptr;
    }
    root.reset(Build(node, error));
    if (!root) {
      return nullptr;
    }
  }
  if (!root) {
    *error = L"no control in the window";
    return nullptr;
  }
  return root.release();
}

CControlUI* CDialogBuilder::Build(const CMarkupNode& node, std::wstring* error) {
  CControlUI* made = callback_ ? callback_->CreateControl(node.name.c_str()) : nullptr;
  if (!made) {
    made = CreateBuiltinControl(node.name);
  }
  std::unique_ptr<CControlUI> control(made);
  if (!control) {
    *error = L"unknown element " + node.name;
    return nullptr;
  }
  if (const std::wstring* defaults = manager_->GetDefaultAttributeList(node.name)) {
    control->ApplyAttributeList(*defaults);
  }
  for (const auto& [name, value] : node.attributes) {
    control->SetAttribute(name, value);
  }
  if (node.children.empty()) {
    return control.release();
  }
  auto* container = dynamic_cast<CContainerUI*>(control.get());
  if (!container) {
    *error = node.name + L" cannot hold other controls";
    return nullptr;
  }
  for (const CMarkupNode& child : node.children) {
    CControlUI* built = Build(child, error);
    if (!built) {
      return nullptr;
    }
    container->Add(built);
  }
  return control.release();
}
