// The mouse pointer, as far as the layers below the user interface need it:
// long work shows the hourglass and puts the previous pointer back on every
// exit path.
//
// The base layer knows nothing of windows, so it asks for this small
// interface instead of the Ui; the Ui (controls/ui.h) is one, and a caller
// hands its Ui to a routine that takes a BusyPointer (ReadTextFile,
// WriteTextFile). Routines take it by pointer and do nothing with the pointer
// when given none, so a caller without a screen (a command-line tool) passes
// nothing.
#pragma once

namespace lirvo {

// Mouse pointers, as the host's runtime numbers them.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

class BusyPointer {
 public:
  virtual ~BusyPointer() = default;
  virtual int MousePointer() const = 0;
  virtual void SetMousePointer(int pointer) = 0;
};

// Sets the pointer for the lifetime of the guard and restores the previous
// one on every exit path. A null BusyPointer makes the guard do nothing.
class PointerGuard {
 public:
  explicit PointerGuard(BusyPointer& screen, int pointer = kPointerHourglass)
      : PointerGuard(&screen, pointer) {}
  explicit PointerGuard(BusyPointer* screen, int pointer = kPointerHourglass)
      : screen_(screen), saved_(screen ? screen->MousePointer() : kPointerDefault) {
    if (screen_) screen_->SetMousePointer(pointer);
  }
  ~PointerGuard() {
    if (screen_) screen_->SetMousePointer(saved_);
  }
  PointerGuard(const PointerGuard&) = delete;
  PointerGuard& operator=(const PointerGuard&) = delete;

 private:
  BusyPointer* screen_;
  int saved_;
};

}  // namespace lirvo
