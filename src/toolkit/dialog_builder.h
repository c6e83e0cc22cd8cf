#pragma once

#include <string>

#include "toolkit/skin_markup.h"
#include "toolkit/ui_defs.h"

class CControlUI;
class CPaintManagerUI;

// Builds a window's control tree from a skin. The root element is
// "Window" (its attributes go to the paint manager); it holds Font and
// Default elements and exactly one control element, the root of the tree.
// Element names are control classes (README.md lists them); a name the
// callback does not make and the toolkit does not know fails the build.
class CDialogBuilder {
 public:
  // Reads skin_file from the manager's archive. Null (with a reason in
  // error) when the file is missing or is not a valid skin.
  CControlUI* Create(const std::wstring& skin_file, IDialogBuilderCallback* callback,
                     CPaintManagerUI* manager, std::wstring* error);
  CControlUI* Create(const CMarkupNode& window, IDialogBuilderCallback* callback,
                     CPaintManagerUI* manager, std::wstring* error);

  // The toolkit's control for an element name, or null.
  static CControlUI* CreateBuiltinControl(const std::wstring& element);

 private:
  CControlUI* Build(const CMarkupNode& node, std::wstring* error);
  void ApplyWindowAttributes(const CMarkupNode& window);

  IDialogBuilderCallback* callback_ = nullptr;
  CPaintManagerUI* manager_ = nullptr;
};
