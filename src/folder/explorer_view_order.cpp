#include "folder/explorer_view_order.h"

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "framework/com_ptr.h"

namespace {

// Frees a shell item id list when it goes out of scope.
class CItemIdList {
 public:
  CItemIdList() = default;
  ~CItemIdList() { CoTaskMemFree(pidl_); }
  CItemIdList(const CItemIdList&) = delete;
  CItemIdList& operator=(const CItemIdList&) = delete;

  PIDLIST_ABSOLUTE* ReceiveAbsolute() { return reinterpret_cast<PIDLIST_ABSOLUTE*>(&pidl_); }
  PITEMID_CHILD* ReceiveChild() { return reinterpret_cast<PITEMID_CHILD*>(&pidl_); }
  PCIDLIST_ABSOLUTE absolute() const { return reinterpret_cast<PCIDLIST_ABSOLUTE>(pidl_); }
  PCUITEMID_CHILD child() const { return reinterpret_cast<PCUITEMID_CHILD>(pidl_); }

 private:
  ITEMIDLIST* pidl_ = nullptr;
};

// Canonical and without any closing backslash, so that a drive's root is
// "C:" however it was written; empty when it cannot be made.
std::wstring ComparableFolder(const std::wstring& path) {
  wchar_t canonical[MAX_PATH] = {};
  if (path.empty() || path.size() >= MAX_PATH || !PathCanonicalizeW(canonical, path.c_str())) {
    return std::wstring();
  }
  std::wstring result = canonical;
  while (!result.empty() && result.back() == L'\\') {
    result.pop_back();
  }
  return result;
}

// The file system folder a view shows; empty for virtual folders.
std::wstring ViewFolderPath(IFolderView* view) {
  ComPtr<IPersistFolder2> persist;
  ThrowIfFailed(view->GetFolder(IID_IPersistFolder2, reinterpret_cast<void**>(persist.Receive())));
  CItemIdList folder_id;
  ThrowIfFailed(persist->GetCurFolder(folder_id.ReceiveAbsolute()));
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(folder_id.absolute(), path)) {
    return std::wstring();
  }
  return path;
}

// The view of one shell window, or empty when it is no folder browser.
ComPtr<IFolderView> WindowFolderView(IShellWindows* windows, LONG index) {
  VARIANT item_index;
  VariantInit(&item_index);
  item_index.vt = VT_I4;
  item_index.lVal = index;
  ComPtr<IDispatch> window;
  if (windows->Item(item_index, window.Receive()) != S_OK || !window) {
    return ComPtr<IFolderView>();
  }
  ComPtr<IShellBrowser> browser;
  ThrowIfFailed(IUnknown_QueryService(window.Get(), SID_STopLevelBrowser, IID_IShellBrowser,
                                      reinterpret_cast<void**>(browser.Receive())));
  ComPtr<IShellView> view;
  ThrowIfFailed(browser->QueryActiveShellView(view.Receive()));
  return view.As<IFolderView>();
}

void ReadViewItems(IFolderView* view, const std::atomic<int32_t>& abort,
                   std::vector<std::wstring>* names) {
  ComPtr<IShellFolder> folder;
  ThrowIfFailed(view->GetFolder(IID_IShellFolder, reinterpret_cast<void**>(folder.Receive())));
  int count = 0;
  ThrowIfFailed(view->ItemCount(SVGIO_ALLVIEW, &count));
  for (int i = 0; i < count && !abort; ++i) {
    CItemIdList item;
    if (FAILED(view->Item(i, item.ReceiveChild()))) {
      continue;
    }
    STRRET display = {};
    if (FAILED(
            folder->GetDisplayNameOf(item.child(), SHGDN_INFOLDER | SHGDN_FORPARSING, &display))) {
      continue;
    }
    wchar_t* name = nullptr;
    if (SUCCEEDED(StrRetToStrW(&display, item.child(), &name)) && name) {
      names->push_back(name);
      CoTaskMemFree(name);
    }
  }
}

}  // namespace

bool IsSameFolder(const std::wstring& view_folder, const std::wstring& folder) {
  const std::wstring a = ComparableFolder(view_folder);
  return !a.empty() && _wcsicmp(a.c_str(), ComparableFolder(folder).c_str()) == 0;
}

bool ReadExplorerViewOrder(const std::wstring& folder, const std::atomic<int32_t>& abort,
                           std::vector<std::wstring>* names) {
  names->clear();
  if (abort) {
    return false;
  }
  ComPtr<IShellWindows> windows;
  try {
    ComPtr<IUnknown> unknown;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IUnknown,
                                   reinterpret_cast<void**>(unknown.Receive())));
    OleRun(unknown.Get());
    windows = unknown.As<IShellWindows>();
    if (!windows) {
      return false;
    }
  } catch (const CComError&) {
    return false;
  }

  LONG count = 0;
  if (FAILED(windows->get_Count(&count))) {
    return false;
  }
  for (LONG index = 0; index < count && !abort; ++index) {
    try {
      ComPtr<IFolderView> view = WindowFolderView(windows.Get(), index);
      if (!view || !IsSameFolder(ViewFolderPath(view.Get()), folder)) {
        continue;
      }
      ReadViewItems(view.Get(), abort, names);
    } catch (const CComError&) {
      // A window that does not answer is skipped.
      names->clear();
      continue;
    }
    // Only the first window showing the folder counts.
    if (abort) {
      names->clear();
      return false;
    }
    return true;
  }
  return false;
}
