#include "toolkit/skin_resources.h"

#include <shlwapi.h>

#include "framework/ui_thread.h"
#include "log/my_log.h"
#include "toolkit/zip_archive.h"

std::shared_ptr<CSkinArchive> CSkinArchive::FromFile(const std::wstring& path) {
  auto archive = std::make_shared<CSkinArchive>();
  if (!archive->zip_.OpenFile(path)) {
    return nullptr;
  }
  return archive;
}

std::shared_ptr<CSkinArchive> CSkinArchive::FromMemory(const void* data, size_t size) {
  if (!data || size == 0) {
    return nullptr;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  auto archive = std::make_shared<CSkinArchive>();
  if (!archive->zip_.OpenMemory(std::vector<uint8_t>(bytes, bytes + size))) {
    return nullptr;
  }
  return archive;
}

bool CSkinArchive::ReadFile(const std::wstring& name, std::vector<uint8_t>* bytes) const {
  return zip_.Extract(name, bytes);
}

std::shared_ptr<CSkinImage> CSkinArchive::GetImage(const std::wstring& name) {
  const std::wstring key = ZipNameKey(name);
  auto found = images_.find(key);
  if (found != images_.end()) {
    return found->second;
  }
  std::vector<uint8_t> bytes;
  std::shared_ptr<CSkinImage> image;
  if (zip_.Extract(name, &bytes)) {
    image = CSkinImage::Decode(bytes);
  }
  if (!image) {
    LOG_INFO << "Skin picture missing or unreadable: " << name;
  }
  // Remembered either way, so a missing picture is looked for once.
  images_[key] = image;
  return image;
}

namespace skin_resources {

namespace {

struct CGlobals {
  HINSTANCE instance = nullptr;
  std::wstring folder;
  std::wstring zip_name;
  std::shared_ptr<CSkinArchive> archive;
  bool archive_tried = false;
  std::map<UINT, std::shared_ptr<CSkinArchive>> resource_archives;
  FailureHandler failure;
  TextResolver resolver;
};

CGlobals& Globals() {
  static CGlobals globals;
  return globals;
}

void DefaultFailure(const std::wstring&) {
  MessageBoxW(nullptr, L"加载资源文件失败", L"Duilib", MB_OK | MB_ICONERROR);
  ExitProcess(1);
}

}  // namespace

void SetResourceInstance(HINSTANCE instance) { Globals().instance = instance; }

HINSTANCE GetResourceInstance() {
  return Globals().instance ? Globals().instance : GetModuleHandleW(nullptr);
}

void SetResourcePath(const std::wstring& folder) {
  CGlobals& globals = Globals();
  globals.folder = folder;
  if (!globals.folder.empty() && globals.folder.back() != L'\\') {
    globals.folder += L'\\';
  }
  globals.archive.reset();
  globals.archive_tried = false;
}

const std::wstring& GetResourcePath() { return Globals().folder; }

void SetResourceZip(const std::wstring& zip_name) {
  CGlobals& globals = Globals();
  globals.zip_name = zip_name;
  globals.archive.reset();
  globals.archive_tried = false;
}

void SetResourceZip(const void* data, size_t size) {
  CGlobals& globals = Globals();
  globals.zip_name.clear();
  globals.archive = CSkinArchive::FromMemory(data, size);
  globals.archive_tried = true;
}

const std::wstring& GetResourceZipName() { return Globals().zip_name; }

std::shared_ptr<CSkinArchive> GlobalArchive() {
  ASSERT_UI_THREAD();
  CGlobals& globals = Globals();
  if (!globals.archive_tried) {
    globals.archive_tried = true;
    if (!globals.zip_name.empty()) {
      const bool relative = PathIsRelativeW(globals.zip_name.c_str()) != FALSE;
      const std::wstring path = relative ? globals.folder + globals.zip_name : globals.zip_name;
      globals.archive = CSkinArchive::FromFile(path);
      if (!globals.archive) {
        LOG_INFO << "Skin archive cannot be opened: " << path;
      }
    }
  }
  return globals.archive;
}

std::shared_ptr<CSkinArchive> ResourceArchive(UINT id, const wchar_t* type) {
  ASSERT_UI_THREAD();
  CGlobals& globals = Globals();
  auto found = globals.resource_archives.find(id);
  if (found != globals.resource_archives.end()) {
    return found->second;
  }
  HINSTANCE instance = GetResourceInstance();
  std::shared_ptr<CSkinArchive> archive;
  if (HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), type)) {
    const DWORD size = SizeofResource(instance, resource);
    HGLOBAL loaded = size ? LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    archive = CSkinArchive::FromMemory(data, size);
  }
  if (!archive) {
    LOG_INFO << "Skin resource " << static_cast<int>(id) << " is missing or unreadable";
  }
  globals.resource_archives[id] = archive;
  return archive;
}

void SetSkinLoadFailureHandler(FailureHandler handler) { Globals().failure = std::move(handler); }

void ReportSkinLoadFailure(const std::wstring& reason) {
  LOG_INFO << "Skin cannot be loaded: " << reason;
  if (Globals().failure) {
    Globals().failure(reason);
  } else {
    DefaultFailure(reason);
  }
}

void SetTextResolver(TextResolver resolver) { Globals().resolver = std::move(resolver); }

std::wstring ResolveText(const std::wstring& text) {
  if (text.size() < 5 || text.compare(0, 2, L"%[") != 0 || text.back() != L']') {
    return text;
  }
  const std::wstring inner = text.substr(2, text.size() - 3);
  const size_t colon = inner.find(L':');
  if (colon == std::wstring::npos || !Globals().resolver) {
    return text;
  }
  return Globals().resolver(inner.substr(0, colon), inner.substr(colon + 1));
}

}  // namespace skin_resources
