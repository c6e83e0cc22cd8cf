#pragma once

// The object returned by CreatePLibWrapper of "common.dll". Callers use it
// only through its table of virtual operations, so the order of the
// declarations below is the binary contract (slot 0 first); it has no
// virtual destructor because that would take slots of its own.
class IPLibWrapper {
 public:
  // Slot 0: called once after creation with (0, product word, 0); not 0 on success.
  virtual int __stdcall Initialize(int reserved, const wchar_t* product, int flags) = 0;
  // Slot 1: ends the object's life.
  virtual void __stdcall Release() = 0;
  // Slot 2: the module's interface version.
  virtual int __stdcall GetVersion() = 0;
  // Slot 3: not 0 once Initialize succeeded.
  virtual int __stdcall IsInitialized() = 0;
  // Slot 4: the user's quick-index option, kept per user.
  virtual void __stdcall SetQuickIndexState(int state) = 0;
  // Slot 5: the stored quick-index option; 1 when never set.
  virtual int __stdcall GetQuickIndexState() = 0;

 protected:
  ~IPLibWrapper() = default;
};
