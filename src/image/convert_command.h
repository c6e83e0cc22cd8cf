#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Lets the user pick the format to convert the current picture to. The
// conversion box of the skinned toolkit implements it.
class IConvertFormatChooser {
 public:
  virtual ~IConvertFormatChooser() = default;
  // Shows labels for the file file_name (no folder), modal to owner.
  // Returns the box's result (1 for OK) and sets selected_index to the
  // chosen label, or -1 when none was chosen.
  virtual int Choose(HWND owner, const std::wstring& file_name,
                     const std::vector<std::wstring>& labels, int* selected_index) = 0;
};

// The target formats offered for a picture with this extension (lower case,
// with its dot), its own format left out.
std::vector<std::wstring> ConvertTargetLabels(const std::wstring& extension);
// ".jpg" from "JPEG格式 (*.jpg)": from the first '.' up to the ')'.
std::wstring ExtensionOfLabel(const std::wstring& label);

// The conversion module "graph\Render.dll" of the program folder.
std::wstring GetRenderModulePath();

// Command 20014: converts the current picture into a file of the chosen
// format beside it, through the conversion module. A GIF is refused with a
// notice; a missing module or export does nothing. The document keeps
// showing its picture. True when the module was called.
bool ConvertCommand(HWND owner, IConvertFormatChooser& chooser,
                    const std::wstring& module_path = GetRenderModulePath());
