#pragma once

#include "framework/file_dialog.h"

// The save dialog of the save-as command: the common save dialog as the
// framework shows it, nothing added.
class DlgSaveAsFile : public CFileDialog {
 public:
  using CFileDialog::CFileDialog;
};
