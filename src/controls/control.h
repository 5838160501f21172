// What every window control has: a name, a position and size in twips
// (1/1440 inch) inside its container, visibility, an enabled flag, and
// listeners that a view (Qt, a script transcript) registers to learn that the
// control changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lirvo::controls {

// The runtime's "invalid property value", raised by a setter given a value
// the control cannot take (a negative width, a progress value beyond the
// maximum).
inline constexpr int kErrInvalidPropertyValue = 380;

// A colour as the runtime's RGB function gives it: red + green*256 +
// blue*65536 (255 is red).
constexpr int32_t Rgb(int32_t red, int32_t green, int32_t blue) {
  return red + green * 256 + blue * 65536;
}

// The design font of every window: a window's controls that name no font
// of their own are shown in it.
inline constexpr const char* kFormFontName = "MS Sans Serif";
inline constexpr double kFormFontPoints = 8.25;

struct Bounds {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

class Control {
 public:
  using Listener = std::function<void(const Control&)>;

  Control(std::string name, Bounds bounds) : name_(std::move(name)), bounds_(bounds) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }

  int32_t Left() const { return bounds_.left; }
  int32_t Top() const { return bounds_.top; }
  int32_t Width() const { return bounds_.width; }
  int32_t Height() const { return bounds_.height; }
  const Bounds& GetBounds() const { return bounds_; }
  void SetLeft(int32_t left);
  void SetTop(int32_t top);
  // A negative size raises RuntimeError kErrInvalidPropertyValue and leaves
  // the control as it was.
  void SetWidth(int32_t width);
  void SetHeight(int32_t height);

  // The control's own flag; a control inside a hidden container keeps its
  // flag but is not shown (IsShown).
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // The panel the control lies in (positions are relative to it), or none.
  const Control* Container() const { return container_; }
  // A container that would make a loop (the control itself, or a control
  // inside it) raises RuntimeError kErrInvalidCall.
  void SetContainer(const Control* container);
  // Visible, and every container up the chain visible too.
  bool IsShown() const;

  // Called after every change of the control's properties. Returns an id
  // for RemoveListener. A listener added or removed while the listeners
  // run takes effect from the next change.
  int AddListener(Listener listener);
  void RemoveListener(int id);

 protected:
  // Tells the listeners that something changed.
  void Changed() const;
  // Sets the bounds without checks or listeners; true when they changed.
  bool AssignBounds(const Bounds& bounds);

 private:
  std::string name_;
  Bounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  const Control* container_ = nullptr;
  std::vector<std::pair<int, Listener>> listeners_;
  int next_listener_id_ = 1;
};

}  // namespace lirvo::controls
