// COM as the program uses it: an apartment for the length of a call, and
// references to COM objects, released when their holders go.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <unknwn.h>

#include <utility>

#include "platform/Module.h"

namespace nw {

// COM on this thread for as long as it lives, from ole32 of the system folder.
// A thread that has COM already in the other threading model keeps it, and
// has it uninitialised by its owner.
class ComApartment {
 public:
  ComApartment() {
    const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
    using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    const auto coInitialize = FindFunction<CoInitializeExFn>(ole32, "CoInitializeEx");
    coUninitialize_ = FindFunction<CoUninitializeFn>(ole32, "CoUninitialize");
    initialized_ = coInitialize != nullptr && coUninitialize_ != nullptr &&
                   SUCCEEDED(coInitialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }
  ~ComApartment() {
    if (initialized_) coUninitialize_();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  using CoUninitializeFn = void(WINAPI*)();
  CoUninitializeFn coUninitialize_ = nullptr;
  bool initialized_ = false;
};

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  // Where a function that hands out a reference puts it (an out parameter of
  // type Interface**); any reference held before is released first.
  Interface** Receive() {
    Reset();
    return &pointer_;
  }
  // The same for the void** of QueryInterface, CoCreateInstance and the like,
  // which must be asked for this interface's own IID.
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace nw
