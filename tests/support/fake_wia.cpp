// A stand-in for the Windows Image Acquisition automation objects, which
// this platform does not have: "WIA.CommonDialog" and "WIA.Vector" as an
// in-process server. ShowPhotoPrintingWizard appends one line to the file
// named by the environment variable LUMORA_FAKE_WIA_LOG: "wizard", then the
// vector's items separated by "|". Registered for a test by
// test_support::FakeWiaRegistration.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/fake_wia_ids.h"

namespace {

// {6C7A2B31-9E0D-4F51-8B2E-1D4C5A6B7E01}: the vector's C++ object.
const IID kIidFakeVector = {
    0x6c7a2b31, 0x9e0d, 0x4f51, {0x8b, 0x2e, 0x1d, 0x4c, 0x5a, 0x6b, 0x7e, 0x01}};

LONG g_objects = 0;

constexpr DISPID kDispAdd = 1;
constexpr DISPID kDispWizard = 2;

void AppendLine(const std::wstring& line) {
  wchar_t path[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"LUMORA_FAKE_WIA_LOG", path, MAX_PATH)) {
    return;
  }
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  const std::wstring text = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

// IDispatch with named members only; no type information.
class CAutomationObject : public IDispatch {
 public:
  CAutomationObject() { InterlockedIncrement(&g_objects); }
  virtual ~CAutomationObject() { InterlockedDecrement(&g_objects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      delete this;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (count != 1) {
      return DISP_E_UNKNOWNNAME;
    }
    ids[0] = IdOf(names[0]);
    return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }

 protected:
  virtual DISPID IdOf(const wchar_t* name) const = 0;

 private:
  LONG references_ = 1;
};

class CFakeVector : public CAutomationObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == kIidFakeVector) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return CAutomationObject::QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    // Add(item, index): the arguments arrive last first.
    if (id != kDispAdd || !params || params->cArgs != 2 || params->rgvarg[1].vt != VT_BSTR) {
      return DISP_E_MEMBERNOTFOUND;
    }
    items.push_back(params->rgvarg[1].bstrVal);
    return S_OK;
  }
  std::vector<std::wstring> items;

 protected:
  DISPID IdOf(const wchar_t* name) const override {
    return lstrcmpiW(name, L"Add") == 0 ? kDispAdd : DISPID_UNKNOWN;
  }
};

class CFakeCommonDialog : public CAutomationObject {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id != kDispWizard || !params || params->cArgs != 1 || params->rgvarg[0].vt != VT_DISPATCH ||
        !params->rgvarg[0].pdispVal) {
      return DISP_E_MEMBERNOTFOUND;
    }
    CFakeVector* vector = nullptr;
    if (FAILED(params->rgvarg[0].pdispVal->QueryInterface(kIidFakeVector,
                                                          reinterpret_cast<void**>(&vector)))) {
      return E_INVALIDARG;
    }
    std::wstring line = L"wizard";
    for (size_t i = 0; i < vector->items.size(); ++i) {
      line += (i == 0 ? L" " : L"|") + vector->items[i];
    }
    vector->Release();
    AppendLine(line);
    return S_OK;
  }

 protected:
  DISPID IdOf(const wchar_t* name) const override {
    return lstrcmpiW(name, L"ShowPhotoPrintingWizard") == 0 ? kDispWizard : DISPID_UNKNOWN;
  }
};

class CClassFactory : public IClassFactory {
 public:
  explicit CClassFactory(bool dialog) : dialog_(dialog) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) {
      return CLASS_E_NOAGGREGATION;
    }
    CAutomationObject* object = dialog_ ? static_cast<CAutomationObject*>(new CFakeCommonDialog)
                                        : static_cast<CAutomationObject*>(new CFakeVector);
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  bool dialog_;
};

CClassFactory g_dialog_factory(true);
CClassFactory g_vector_factory(false);

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (clsid == test_support::kFakeWiaDialogClsid) {
    return g_dialog_factory.QueryInterface(iid, out);
  }
  if (clsid == test_support::kFakeWiaVectorClsid) {
    return g_vector_factory.QueryInterface(iid, out);
  }
  *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_objects == 0 ? S_OK : S_FALSE;
}
