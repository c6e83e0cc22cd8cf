#pragma once

#include <string>

namespace test_support {

// Registers fake_wia.dll (beside the test program) as "WIA.CommonDialog" and
// "WIA.Vector" for the life of the object, and points LUMORA_FAKE_WIA_LOG, in
// this process and the ones it starts afterwards, at a fresh file that
// records each printing wizard it shows. The registration is removed again.
class FakeWiaRegistration {
 public:
  FakeWiaRegistration();
  ~FakeWiaRegistration();
  FakeWiaRegistration(const FakeWiaRegistration&) = delete;
  FakeWiaRegistration& operator=(const FakeWiaRegistration&) = delete;

  bool ok() const { return ok_; }
  // The recorded lines: "wizard <path>" per wizard shown.
  std::string Log() const;

 private:
  bool ok_ = false;
  std::wstring log_;
};

}  // namespace test_support
