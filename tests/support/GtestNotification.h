// GoogleTest's thread-start notification for the win32-thread runtime, which
// has no std::mutex or std::condition_variable: a manual-reset Windows event.
// Forced into every GoogleTest compile of the Windows builds.
#pragma once

#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
