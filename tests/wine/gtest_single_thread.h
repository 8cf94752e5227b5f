#pragma once
// Forced into every GoogleTest translation unit of the cross build. MinGW's
// win32 thread model has no std::mutex, which GoogleTest needs only for its
// Notification, a tool of its own multi-threaded tests. Ours run on one
// thread, so a Notification that never has to wait serves.
#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_ = true; }
    void WaitForNotification() {}  // single-threaded: nobody is left to wait for

private:
    bool notified_ = false;
};

}  // namespace internal
}  // namespace testing
