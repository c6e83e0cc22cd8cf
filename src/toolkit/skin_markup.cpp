#include "toolkit/skin_markup.h"

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include "framework/com_ptr.h"
#include "toolkit/skin_attributes.h"

namespace {

// The import libraries of the cross compiler lack xmllite, so the reader is
// taken from the platform's DLL at run time.
using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

const GUID kIidXmlReader = {
    0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

CreateXmlReaderFn XmlReaderFactory() {
  static CreateXmlReaderFn factory = [] {
    HMODULE module = LoadLibraryW(L"xmllite.dll");
    FARPROC proc = module ? GetProcAddress(module, "CreateXmlReader") : nullptr;
    return reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(proc));
  }();
  return factory;
}

bool Fail(std::wstring* error, const std::wstring& reason) {
  *error = reason;
  return false;
}

}  // namespace

const std::wstring* CMarkupNode::Attribute(const wchar_t* attribute_name) const {
  for (const auto& attribute : attributes) {
    if (skin_attr::SameName(attribute.first, attribute_name)) {
      return &attribute.second;
    }
  }
  return nullptr;
}

bool ParseSkinMarkup(const std::vector<uint8_t>& bytes, CMarkupNode* root, std::wstring* error,
                     const CMarkupLimits& limits) {
  *root = CMarkupNode();
  if (bytes.empty() || bytes.size() > limits.max_bytes) {
    return Fail(error, L"empty or too large");
  }
  CreateXmlReaderFn factory = XmlReaderFactory();
  if (!factory) {
    return Fail(error, L"no XML reader");
  }
  ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
  ComPtr<IXmlReader> reader;
  if (!stream ||
      FAILED(factory(kIidXmlReader, reinterpret_cast<void**>(reader.Receive()), nullptr)) ||
      !reader) {
    return Fail(error, L"no XML reader");
  }
  reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  reader->SetProperty(XmlReaderProperty_MaxElementDepth, limits.max_depth);
  if (FAILED(reader->SetInput(stream.Get()))) {
    return Fail(error, L"unreadable input");
  }

  // The open elements, outermost first; the document itself is the first.
  CMarkupNode document;
  std::vector<CMarkupNode*> open = {&document};
  size_t elements = 0;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_EndElement) {
      if (open.size() > 1) {
        open.pop_back();
      }
      continue;
    }
    if (type != XmlNodeType_Element) {
      continue;
    }
    if (++elements > limits.max_elements) {
      return Fail(error, L"too many elements");
    }
    const wchar_t* name = nullptr;
    UINT name_length = 0;
    if (FAILED(reader->GetLocalName(&name, &name_length))) {
      return Fail(error, L"unreadable element");
    }
    CMarkupNode node;
    node.name.assign(name, name_length);
    const bool empty = reader->IsEmptyElement() != FALSE;
    for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK;
         at = reader->MoveToNextAttribute()) {
      const wchar_t* key = nullptr;
      UINT key_length = 0;
      const wchar_t* value = nullptr;
      UINT value_length = 0;
      if (FAILED(reader->GetLocalName(&key, &key_length)) ||
          FAILED(reader->GetValue(&value, &value_length))) {
        return Fail(error, L"unreadable attribute");
      }
      if (value_length > limits.max_attribute_chars) {
        return Fail(error, L"attribute too long in " + node.name);
      }
      node.attributes.emplace_back(std::wstring(key, key_length),
                                   std::wstring(value, value_length));
    }
    reader->MoveToElement();
    if (open.size() == 1 && !document.children.empty()) {
      return Fail(error, L"more than one root element");
    }
    CMarkupNode* parent = open.back();
    parent->children.push_back(std::move(node));
    if (!empty) {
      open.push_back(&parent->children.back());
    }
  }
  if (FAILED(hr)) {
    return Fail(error, L"malformed XML");
  }
  if (document.children.size() != 1) {
    return Fail(error, L"no root element");
  }
  *root = std::move(document.children.front());
  return true;
}
