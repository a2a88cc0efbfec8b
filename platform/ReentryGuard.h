#pragma once
// Keeps one operation from running inside itself: window messages are handled
// while requests wait, so a timer can start the same work again in the middle.
namespace quarlen {

// Sets flag for the guard's lifetime. Entered() is false, and the flag is left
// alone, when the flag was set already: the caller then returns at once.
class ReentryGuard {
 public:
  explicit ReentryGuard(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
  ~ReentryGuard() {
    if (entered_) flag_ = false;
  }
  ReentryGuard(const ReentryGuard&) = delete;
  ReentryGuard& operator=(const ReentryGuard&) = delete;
  bool Entered() const { return entered_; }

 private:
  bool& flag_;
  bool entered_;
};

}  // namespace quarlen
