// A reference to a COM object, released when the holder goes.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <unknwn.h>

#include <utility>

namespace nw {

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
