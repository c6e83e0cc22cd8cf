#include "image/wic_factory.h"

#include "framework/com_ptr.h"

#include <atomic>
#include <mutex>

namespace {

std::mutex g_factory_lock;
std::atomic<IWICImagingFactory*> g_factory{nullptr};

}  // namespace

HRESULT CWICFactory::Create() {
  std::lock_guard<std::mutex> lock(g_factory_lock);
  if (g_factory.load()) {
    return S_OK;
  }
  IWICImagingFactory* factory = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
  if (SUCCEEDED(hr)) {
    g_factory.store(factory);
  }
  return hr;
}

void CWICFactory::Release() {
  std::lock_guard<std::mutex> lock(g_factory_lock);
  if (IWICImagingFactory* factory = g_factory.exchange(nullptr)) {
    factory->Release();
  }
}

IWICImagingFactory* CWICFactory::Get() { return g_factory.load(); }

IWICImagingFactory* CWICFactory::Required() {
  IWICImagingFactory* factory = Get();
  if (!factory) {
    throw CComError(E_POINTER);
  }
  return factory;
}
