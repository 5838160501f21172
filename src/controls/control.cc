#include "controls/control.h"

#include <algorithm>

#include "base/runtime_error.h"

namespace lirvo::controls {
namespace {

void CheckSize(int32_t size) {
  if (size < 0) throw RuntimeError(kErrInvalidPropertyValue, "Valore di proprietà non valido");
}

}  // namespace

void Control::SetLeft(int32_t left) {
  if (bounds_.left == left) return;
  bounds_.left = left;
  Changed();
}

void Control::SetTop(int32_t top) {
  if (bounds_.top == top) return;
  bounds_.top = top;
  Changed();
}

void Control::SetWidth(int32_t width) {
  CheckSize(width);
  if (bounds_.width == width) return;
  bounds_.width = width;
  Changed();
}

void Control::SetHeight(int32_t height) {
  CheckSize(height);
  if (bounds_.height == height) return;
  bounds_.height = height;
  Changed();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed();
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}

void Control::SetContainer(const Control* container) {
  for (const Control* c = container; c != nullptr; c = c->container_) {
    if (c == this) throw RuntimeError(kErrInvalidCall);
  }
  container_ = container;
}

bool Control::IsShown() const {
  for (const Control* c = this; c != nullptr; c = c->container_) {
    if (!c->visible_) return false;
  }
  return true;
}

int Control::AddListener(Listener listener) {
  const int id = next_listener_id_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void Control::RemoveListener(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

bool Control::AssignBounds(const Bounds& bounds) {
  if (bounds_ == bounds) return false;
  bounds_ = bounds;
  return true;
}

void Control::Changed() const {
  // A copy, so a listener that adds or removes listeners cannot upset the
  // walk.
  const auto listeners = listeners_;
  for (const auto& [id, listener] : listeners) {
    if (listener) listener(*this);
  }
}

}  // namespace lirvo::controls
