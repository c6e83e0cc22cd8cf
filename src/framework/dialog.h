#pragma once

#include <windows.h>

#include "framework/wnd.h"

// A dialog made from a template resource (or an in-memory template) and run
// modally by a message loop of our own, so that PreTranslateMessage sees
// every message of the dialog and its children before dispatch.
class CDialog : public CWnd {
 public:
  explicit CDialog(UINT template_id, HWND parent = nullptr);
  // For a template held in memory (DLGTEMPLATE or DLGTEMPLATEEX).
  CDialog(const void* memory_template, HWND parent);

  // Creates the dialog, disables the parent, runs until EndDialog and
  // returns its result; -1 when the dialog could not be created.
  INT_PTR DoModal();
  // Ends the modal loop with result; the window is destroyed after the loop.
  void EndDialog(INT_PTR result);
  bool IsModalRunning() const { return running_; }

  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // IDOK and IDCANCEL (from buttons and keys) go to OnOK and OnCancel.
  bool OnCommand(UINT id, UINT code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  // Keyboard navigation of the dialog's controls.
  BOOL PreTranslateMessage(MSG* msg) override;

  // Registers new_class as a copy of the system dialog class, so that a
  // template naming it creates an ordinary dialog that other programs can
  // find by its own class name.
  static bool RegisterDialogClassCopy(const wchar_t* new_class);

 protected:
  HWND parent_;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  UINT template_id_ = 0;
  const void* memory_template_ = nullptr;
  bool running_ = false;
  bool ended_ = false;
  INT_PTR result_ = -1;
};
