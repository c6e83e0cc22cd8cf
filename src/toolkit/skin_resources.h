#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/skin_image.h"
#include "toolkit/zip_archive.h"

// One skin archive and the pictures decoded from it.
class CSkinArchive {
 public:
  static std::shared_ptr<CSkinArchive> FromFile(const std::wstring& path);
  static std::shared_ptr<CSkinArchive> FromMemory(const void* data, size_t size);

  bool ReadFile(const std::wstring& name, std::vector<uint8_t>* bytes) const;
  // The picture of that entry, decoded on first use; null when the entry is
  // missing or not a picture (a skin then simply shows nothing there).
  std::shared_ptr<CSkinImage> GetImage(const std::wstring& name);

 private:
  CZipArchive zip_;
  std::map<std::wstring, std::shared_ptr<CSkinImage>> images_;
};

// The toolkit's global set-up: where skins come from, how a skin that cannot
// be loaded is reported, and how skins' language texts are looked up. Used
// on the user-interface thread only.
namespace skin_resources {

void SetResourceInstance(HINSTANCE instance);
HINSTANCE GetResourceInstance();
// The folder beside the program that holds the skin archive ("resources").
void SetResourcePath(const std::wstring& folder);
const std::wstring& GetResourcePath();
// The archive by file name, relative to the resource folder unless it is a
// full path; opened when a window first needs it.
void SetResourceZip(const std::wstring& zip_name);
// The archive as a block of memory (copied).
void SetResourceZip(const void* data, size_t size);
const std::wstring& GetResourceZipName();

// The global archive; null when it cannot be opened.
std::shared_ptr<CSkinArchive> GlobalArchive();
// The archive held in the resource module as resource (id, type), copied
// into memory; null when it is missing, unreadable or empty.
std::shared_ptr<CSkinArchive> ResourceArchive(UINT id, const wchar_t* type = L"ZIPRES");

// A skin that cannot be loaded is fatal: by default the platform's message
// box with "加载资源文件失败", titled "Duilib", then exit code 1. Tests
// replace the handler; a handler that returns leaves the window empty.
using FailureHandler = std::function<void(const std::wstring& reason)>;
void SetSkinLoadFailureHandler(FailureHandler handler);
void ReportSkinLoadFailure(const std::wstring& reason);

// Texts written "%[SECTION:KEY]" in a skin are looked up through this.
using TextResolver =
    std::function<std::wstring(const std::wstring& section, const std::wstring& key)>;
void SetTextResolver(TextResolver resolver);
// The text itself, or the looked-up one for the "%[SECTION:KEY]" form.
std::wstring ResolveText(const std::wstring& text);

}  // namespace skin_resources
