#include "standin/framework.h"

#include <algorithm>
#include <limits>

#include "base/runtime_error.h"

namespace lirvo::standin {
namespace {

template <typename T, typename Base>
T& Own(Base& object) {
  auto* own = dynamic_cast<T*>(&object);
  if (own == nullptr) throw RuntimeError(kErrTypeMismatch);
  return *own;
}

}  // namespace

std::shared_ptr<host::RibbonGroup> StandinRibbonTab::AddGroup(const std::string& caption,
                                                              int32_t style) {
  auto group = std::make_shared<StandinRibbonGroup>(caption, style);
  groups_.push_back(group);
  return group;
}

int32_t StandinFramework::GetNewID() {
  if (next_id_ > std::numeric_limits<int32_t>::max()) throw RuntimeError(kErrOverflow);
  return static_cast<int32_t>(next_id_++);
}

std::shared_ptr<host::RibbonTab> StandinFramework::InsertRibbonTab(const std::string& caption) {
  auto tab = std::make_shared<StandinRibbonTab>(caption);
  auto same = std::find_if(tabs_.begin(), tabs_.end(),
                           [&](const auto& t) { return t->Caption() == caption; });
  if (same != tabs_.end()) {
    *same = tab;
  } else {
    tabs_.push_back(tab);
  }
  return tab;
}

std::shared_ptr<host::RibbonGroup> StandinFramework::InsertTabGroup(host::RibbonTab& tab,
                                                                    const std::string& caption) {
  return Own<StandinRibbonTab>(tab).AddGroup(caption, 0);
}

std::shared_ptr<host::RibbonControl> StandinFramework::InsertGroupControl(host::RibbonGroup& group,
                                                                          int32_t command_id) {
  auto& own = Own<StandinRibbonGroup>(group);
  auto control = std::make_shared<StandinRibbonControl>(StandinRibbonControl::Kind::kGroupControl,
                                                        command_id, own.Caption(), "", 0, false);
  own.Add(control);
  return control;
}

std::shared_ptr<host::RibbonControl> StandinFramework::InsertGroupButton(
    host::RibbonGroup& group, const std::string& caption, int32_t command_id, int32_t style,
    bool flag, const std::string& tooltip) {
  auto& own = Own<StandinRibbonGroup>(group);
  auto control = std::make_shared<StandinRibbonControl>(StandinRibbonControl::Kind::kButton,
                                                        command_id, caption, tooltip, style, flag);
  own.Add(control);
  return control;
}

void StandinFramework::AddFileBitmap(const std::string& image_path, int32_t command_id) {
  icons_[command_id] = image_path;
}

std::string StandinFramework::IconOf(int32_t command_id) const {
  auto it = icons_.find(command_id);
  return it == icons_.end() ? std::string() : it->second;
}

std::shared_ptr<host::RibbonControl> StandinFramework::FindRibbonControl(int32_t command_id) {
  for (const auto& tab : tabs_) {
    for (const auto& group : tab->Groups()) {
      for (const auto& control : group->Controls()) {
        if (control->CommandId() == command_id) return control;
      }
    }
  }
  return nullptr;
}

void StandinFramework::SetMainRibbonTab() {
  active_tab_ = kMainTabCaption;
  Report("SetMainRibbonTab", {});
}

bool StandinFramework::OpenChild(const std::string& form_name, bool modal,
                                 const std::string& caption) {
  Report("OpenChild", {form_name, modal, caption});
  for (const auto& child : children_) {
    if (child->Caption() == caption) {
      active_child_ = child;
      return true;
    }
  }
  return false;
}

std::shared_ptr<host::ChildForm> StandinFramework::CreateChildForm(
    std::shared_ptr<host::EmbeddedForm> form) {
  if (!form) throw RuntimeError(kErrObjectNotSet);
  Report("CreateChildForm", {form->Name()});
  auto child = std::make_shared<StandinChildForm>(std::move(form));
  children_.push_back(child);
  active_child_ = child;
  return child;
}

bool StandinFramework::CloseChild(const std::string& caption) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&](const auto& c) { return c->Caption() == caption; });
  if (it == children_.end()) return false;
  if (active_child_ == *it) active_child_ = nullptr;
  children_.erase(it);
  if (!active_child_ && !children_.empty()) active_child_ = children_.back();
  return true;
}

void StandinFramework::RichiamaPaziente(const host::Variant& patient_id) {
  last_recalled_ = patient_id;
  Report("RichiamaPaziente", {patient_id});
}

int32_t StandinFramework::Popup(const std::vector<std::string>& items) {
  Report("Popup", std::vector<host::Variant>(items.begin(), items.end()));
  return ui_.PopupMenu(items);
}

void StandinFramework::Report(const std::string& call, std::vector<host::Variant> args) {
  if (hook_) hook_(call, std::move(args));
}

}  // namespace lirvo::standin
