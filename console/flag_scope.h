#pragma once
// A flag raised while a handler runs, so a timer tick or a drag move that
// arrives meanwhile (from the window events it lets run) can tell.

namespace fieldray::console {

// Sets the flag while it lives and clears it however the scope ends.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace fieldray::console
