#pragma once

#include <mutex>

// A process-wide object created on first use (safe when two threads ask at
// once) and destroyed explicitly by the application's exit sequence, so the
// destruction order is the program's, not the C runtime's.
template <class T>
class CSingletonT {
 public:
  static T* GetInstance() {
    std::call_once(Flag(), [] { Slot() = new T(); });
    return Slot();
  }

  // After this, GetInstance returns null for the rest of the process.
  static void DestroyInstance() {
    std::call_once(Flag(), [] {});
    delete Slot();
    Slot() = nullptr;
  }

 private:
  static std::once_flag& Flag() {
    static std::once_flag flag;
    return flag;
  }
  static T*& Slot() {
    static T* instance = nullptr;
    return instance;
  }
};
