// The stand-in Clinora's framework: identifiers, the ribbon as a plain model,
// the child windows of the main window, the recalled patient and the pop-up
// menu. Everything a person would see happen is also reported to a hook, so
// the headless `lirvo run` can print it and the desktop can show it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/ui.h"
#include "host/host.h"

namespace lirvo::standin {

// The caption of the host's own main ribbon tab.
inline constexpr const char* kMainTabCaption = "Clinora";

// The first identifier GetNewID hands out.
inline constexpr int32_t kFirstNewID = 1001;

class StandinRibbonControl final : public host::RibbonControl {
 public:
  enum class Kind { kGroupControl, kButton };

  StandinRibbonControl(Kind kind, int32_t command_id, std::string caption, std::string tooltip,
                       int32_t style, bool flag)
      : kind_(kind),
        command_id_(command_id),
        caption_(std::move(caption)),
        tooltip_(std::move(tooltip)),
        style_(style),
        flag_(flag) {}

  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }

  Kind GetKind() const { return kind_; }
  int32_t CommandId() const { return command_id_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Tooltip() const { return tooltip_; }
  int32_t Style() const { return style_; }
  bool Flag() const { return flag_; }

 private:
  Kind kind_;
  int32_t command_id_;
  std::string caption_;
  std::string tooltip_;
  int32_t style_;
  bool flag_;
  bool enabled_ = true;  // the host's defaults
  bool visible_ = true;
};

class StandinRibbonGroup final : public host::RibbonGroup {
 public:
  StandinRibbonGroup(std::string caption, int32_t style)
      : caption_(std::move(caption)), style_(style) {}
  std::string Caption() const override { return caption_; }
  int32_t Style() const { return style_; }
  const std::vector<std::shared_ptr<StandinRibbonControl>>& Controls() const { return controls_; }
  void Add(std::shared_ptr<StandinRibbonControl> c) { controls_.push_back(std::move(c)); }

 private:
  std::string caption_;
  int32_t style_;
  std::vector<std::shared_ptr<StandinRibbonControl>> controls_;
};

class StandinRibbonTab final : public host::RibbonTab {
 public:
  explicit StandinRibbonTab(std::string caption) : caption_(std::move(caption)) {}
  std::string Caption() const override { return caption_; }
  // Groups.AddGroup(caption, style).
  std::shared_ptr<host::RibbonGroup> AddGroup(const std::string& caption, int32_t style) override;
  const std::vector<std::shared_ptr<StandinRibbonGroup>>& Groups() const { return groups_; }

 private:
  std::string caption_;
  std::vector<std::shared_ptr<StandinRibbonGroup>> groups_;
};

// A child window of the host's main window, holding the plug-in's form.
class StandinChildForm final : public host::ChildForm {
 public:
  explicit StandinChildForm(std::shared_ptr<host::EmbeddedForm> form) : form_(std::move(form)) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Icon() const override { return icon_; }
  void SetIcon(const std::string& icon) override { icon_ = icon; }
  void Show() override { shown_ = true; }
  std::shared_ptr<host::EmbeddedForm> Form() const override { return form_; }
  bool Shown() const { return shown_; }

 private:
  std::shared_ptr<host::EmbeddedForm> form_;
  std::string caption_;
  std::string icon_;
  bool shown_ = false;
};

class StandinFramework final : public host::Framework {
 public:
  // Called for every host call a person would see: RichiamaPaziente,
  // SetMainRibbonTab, OpenChild, CreateChildForm, Popup.
  using CallHook = std::function<void(const std::string& call, std::vector<host::Variant> args)>;

  explicit StandinFramework(ui::Ui& ui) : ui_(ui) {}

  // ---- host::Framework --------------------------------------------------------

  // kFirstNewID, then one more on every call; error 6 when the Long runs out.
  int32_t GetNewID() override;
  // A new, empty tab at the end of the ribbon. A caption the ribbon already
  // shows gives a new, empty tab in that tab's place: the old one and its
  // controls go, so a plug-in that builds its tab again (its main form loaded
  // twice) shows one tab, as built the last time, never two of one caption.
  std::shared_ptr<host::RibbonTab> InsertRibbonTab(const std::string& caption) override;
  // The tab and groups must be ones this framework made (error 13 otherwise).
  std::shared_ptr<host::RibbonGroup> InsertTabGroup(host::RibbonTab& tab,
                                                    const std::string& caption) override;
  // The group control takes its group's caption.
  std::shared_ptr<host::RibbonControl> InsertGroupControl(host::RibbonGroup& group,
                                                          int32_t command_id) override;
  std::shared_ptr<host::RibbonControl> InsertGroupButton(host::RibbonGroup& group,
                                                         const std::string& caption,
                                                         int32_t command_id, int32_t style,
                                                         bool flag,
                                                         const std::string& tooltip) override;
  // The last image tied to a command is the one its controls show.
  void AddFileBitmap(const std::string& image_path, int32_t command_id) override;
  // The first control of the command, in ribbon order; nullptr when none.
  std::shared_ptr<host::RibbonControl> FindRibbonControl(int32_t command_id) override;
  void SetMainRibbonTab() override;
  // True when a child window with that caption (exact) exists; it becomes the
  // active one.
  bool OpenChild(const std::string& form_name, bool modal, const std::string& caption) override;
  // A new child window, not yet captioned nor shown, that becomes the active
  // one. A null form raises error 91.
  std::shared_ptr<host::ChildForm> CreateChildForm(
      std::shared_ptr<host::EmbeddedForm> form) override;
  void RichiamaPaziente(const host::Variant& patient_id) override;
  // Asks the Ui's pop-up menu.
  int32_t Popup(const std::vector<std::string>& items) override;

  // ---- what the host shows (read access for dumps, views and tests) -----------

  void SetCallHook(CallHook hook) { hook_ = std::move(hook); }

  const std::vector<std::shared_ptr<StandinRibbonTab>>& Tabs() const { return tabs_; }
  // The image tied to a command, "" when none.
  std::string IconOf(int32_t command_id) const;
  // The caption of the active ribbon tab (kMainTabCaption at start).
  const std::string& ActiveTab() const { return active_tab_; }
  // The person clicks a tab: it becomes the active one. (The caller then
  // sends the plug-in its "mainribbonbar.activetab" event.)
  void ActivateTab(const std::string& caption) { active_tab_ = caption; }

  const std::vector<std::shared_ptr<StandinChildForm>>& Children() const { return children_; }
  // The active child window, nullptr when there is none.
  std::shared_ptr<StandinChildForm> ActiveChild() const { return active_child_; }
  // The person closes the child window with that caption; false when none.
  bool CloseChild(const std::string& caption);

  // The last patient recalled, Empty when none yet.
  const host::Variant& LastRecalledPatient() const { return last_recalled_; }

 private:
  void Report(const std::string& call, std::vector<host::Variant> args);

  ui::Ui& ui_;
  int64_t next_id_ = kFirstNewID;
  std::vector<std::shared_ptr<StandinRibbonTab>> tabs_;
  std::map<int32_t, std::string> icons_;
  std::string active_tab_ = kMainTabCaption;
  std::vector<std::shared_ptr<StandinChildForm>> children_;
  std::shared_ptr<StandinChildForm> active_child_;
  host::Variant last_recalled_;
  CallHook hook_;
};

}  // namespace lirvo::standin
