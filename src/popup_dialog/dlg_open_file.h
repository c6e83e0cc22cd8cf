#pragma once

#include "framework/file_dialog.h"

// The open dialog of the open command: the common open dialog as the
// framework shows it, nothing added.
class DlgOpenFile : public CFileDialog {
 public:
  using CFileDialog::CFileDialog;
};
