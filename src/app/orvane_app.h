#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/win_app.h"

class CIPCAlwaysReceiver;
class CIPCReceiver;
class FCAutoInitGDIPlus;
class FCAutoInitializeCOM;

// The application object: owns the life of the process. Its static
// construction opens the log, loads the settings and makes the data
// folders; InitInstance takes the start-up decision, hands a pending update
// to the tray program, installs the crash filter, checks the skins, creates
// the hand-over receivers and runs the main window modally; ExitInstance
// releases everything in a fixed order.
class COrvaneApp : public CWinApp {
 public:
  COrvaneApp();
  ~COrvaneApp() override;

  // False in every case: the process stopped early, or the main window has
  // been shown and closed.
  BOOL InitInstance() override;
  int ExitInstance() override;

  // The process's application object; null where there is none (tests).
  static COrvaneApp* GetInstance();

  // Applies only_one_instance to the instance receiver and makes sure the
  // always receiver exists (after the settings dialog changed the setting).
  void RefreshReceivers();
  bool HasInstanceReceiver() const { return instance_receiver_ != nullptr; }

  // The skinned toolkit's resources: its folder and archive.
  const std::wstring& skin_folder() const { return skin_folder_; }
  static constexpr const wchar_t* kSkinArchiveName = L"res.zip";

  // The program folder's update state says "glimtUpdate" and no updater
  // holds its mutex.
  static bool IsUpdatePending();
  static bool IsUpdatePendingIn(const std::wstring& state_file);
  static std::wstring UpdateStateFile();

  // Data folder, temporary folder and crash folder, one level each.
  static void EnsureFolders();
  // The print scratch file goes, at most kCrashDumpsKept crash dumps stay.
  static void CleanTempFolder();
  // The last closing viewer (with completely_exit on) ends the tray program.
  static void CompleteExit();

  static constexpr const wchar_t* kUpdaterMutex = L"LUMORA_570E6FBC-027B-461C-9218-8447018C832F";
  static constexpr const wchar_t* kUpdateHandOverMutex = L"9BB62ABF-C1B3-43ED-BABF-B085F3FB3A57";
  static constexpr const wchar_t* kExitMutex = L"LmMainExitMutex-ad756f18033b6ea0";

 private:
  // Static initialisation up to the application name.
  static std::wstring PrepareProcess();
  // True when the tray program took the start over.
  bool HandOverPendingUpdate();
  // False when the skin folder or archive is missing.
  bool FindSkinResources();

  std::unique_ptr<FCAutoInitializeCOM> com_;
  std::unique_ptr<FCAutoInitGDIPlus> gdiplus_;
  std::unique_ptr<CIPCReceiver> instance_receiver_;
  std::unique_ptr<CIPCAlwaysReceiver> always_receiver_;
  std::wstring skin_folder_;
};
