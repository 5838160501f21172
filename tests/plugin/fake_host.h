// A small in-memory host for the plug-in's unit tests: a framework that
// records every ribbon call, an XML object over a tree of nodes kept per
// file path, and a Ui that records message boxes. Failures are injected by
// naming the call that must throw.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "controls/ui.h"
#include "host/host.h"

namespace lirvo::testing {

// ---- XML ----------------------------------------------------------------------

class FakeXmlNode : public host::XmlNode {
 public:
  explicit FakeXmlNode(std::string name, std::string text = "")
      : name_(std::move(name)), text_(std::move(text)) {}

  std::string NodeName() const override { return name_; }
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  std::shared_ptr<host::XmlNode> GetNamedItem(const std::string& name) override {
    auto it = attributes_.find(name);
    if (it == attributes_.end()) return nullptr;
    return std::make_shared<FakeXmlNode>(name, it->second);
  }
  std::vector<std::shared_ptr<host::XmlNode>> ChildNodes() override {
    return {children_.begin(), children_.end()};
  }

  FakeXmlNode& Attr(const std::string& name, const std::string& value) {
    attributes_[name] = value;
    return *this;
  }
  std::shared_ptr<FakeXmlNode> Add(std::shared_ptr<FakeXmlNode> child) {
    children_.push_back(child);
    return child;
  }
  const std::map<std::string, std::string>& Attributes() const { return attributes_; }
  const std::vector<std::shared_ptr<FakeXmlNode>>& Children() const { return children_; }

 private:
  std::string name_;
  std::string text_;
  std::map<std::string, std::string> attributes_;
  std::vector<std::shared_ptr<FakeXmlNode>> children_;
};

// The "files" the fake XML object can load: path -> root element.
struct FakeXmlFiles {
  std::map<std::string, std::shared_ptr<FakeXmlNode>> roots;
  std::set<std::string> failing_saves;  // paths whose SaveFile throws 70
  std::vector<std::string> saves;       // paths saved, in order
};

class FakeXmlDocument : public host::XmlDocument {
 public:
  explicit FakeXmlDocument(FakeXmlFiles& files) : files_(files) {}

  bool LoadFileXML(const std::string& path) override {
    auto it = files_.roots.find(path);
    if (it == files_.roots.end()) return false;
    root_ = it->second;
    return true;
  }
  std::shared_ptr<host::XmlNode> RootNode() override { return root_; }
  std::vector<std::shared_ptr<host::XmlNode>> SelectNodeList(
      const std::shared_ptr<host::XmlNode>& node, const std::string& path) override {
    if (!node) throw RuntimeError(kErrObjectNotSet);
    std::vector<std::shared_ptr<host::XmlNode>> level = {node};
    size_t start = 0;
    while (start <= path.size()) {
      size_t slash = path.find('/', start);
      if (slash == std::string::npos) slash = path.size();
      const std::string step = path.substr(start, slash - start);
      std::vector<std::shared_ptr<host::XmlNode>> next;
      for (auto& n : level) {
        for (auto& c : n->ChildNodes()) {
          if (c->NodeName() == step) next.push_back(c);
        }
      }
      level = std::move(next);
      start = slash + 1;
    }
    return level;
  }
  std::string GetAttribute(const std::shared_ptr<host::XmlNode>& node,
                           const std::string& name) override {
    if (!node) throw RuntimeError(kErrObjectNotSet);
    auto attr = node->GetNamedItem(name);
    return attr ? attr->Text() : "";
  }
  void SaveFile(const std::string& path) override {
    if (files_.failing_saves.count(path)) throw RuntimeError(kErrPermissionDenied);
    files_.roots[path] = root_;
    files_.saves.push_back(path);
  }

 private:
  FakeXmlFiles& files_;
  std::shared_ptr<FakeXmlNode> root_;
};

// A Config.xml tree: root "config" named `product`, one parameter per pair
// (a pair with an empty name gives a parameter without the attribute).
std::shared_ptr<FakeXmlNode> ConfigTree(
    const std::string& product, const std::vector<std::pair<std::string, std::string>>& params);

// ---- Ribbon and framework -----------------------------------------------------

struct FakeControl : host::RibbonControl {
  std::string kind;  // "control" or "button"
  std::string group;
  std::string caption;
  std::string tooltip;
  int32_t id = 0;
  int32_t style = 0;
  bool flag = false;
  bool enabled = true;  // host defaults
  bool visible = true;
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool e) override { enabled = e; }
  bool Visible() const override { return visible; }
  void SetVisible(bool v) override { visible = v; }
};

struct FakeGroup : host::RibbonGroup {
  explicit FakeGroup(std::string c) : caption(std::move(c)) {}
  std::string caption;
  std::string Caption() const override { return caption; }
};

class FakeFramework;

struct FakeTab : host::RibbonTab {
  FakeTab(FakeFramework& fw, std::string c) : framework(fw), caption(std::move(c)) {}
  FakeFramework& framework;
  std::string caption;
  std::string Caption() const override { return caption; }
  std::shared_ptr<host::RibbonGroup> AddGroup(const std::string& caption, int32_t style) override;
};

struct FakeChildForm : host::ChildForm {
  std::string caption;
  std::string icon;
  bool shown = false;
  std::shared_ptr<host::EmbeddedForm> form;
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  std::string Icon() const override { return icon; }
  void SetIcon(const std::string& i) override { icon = i; }
  void Show() override { shown = true; }
  std::shared_ptr<host::EmbeddedForm> Form() const override { return form; }
};

class FakeFramework : public host::Framework {
 public:
  // Every call, as "Name(arg, ...)", in order.
  std::vector<std::string> calls;
  // Calls whose log text starts with one of these throw RuntimeError 5
  // ("GetNewID#3" fails the third GetNewID only).
  std::set<std::string> failing;
  // Calls that answer Nothing instead of an object.
  std::set<std::string> returning_nothing;
  int32_t next_id = 1000;
  int get_new_id_calls = 0;
  std::vector<std::shared_ptr<FakeControl>> controls;
  std::vector<std::shared_ptr<FakeTab>> tabs;
  std::vector<std::shared_ptr<FakeChildForm>> children;

  void Log(const std::string& call);
  bool Nothing(const std::string& call) const;

  int32_t GetNewID() override;
  std::shared_ptr<host::RibbonTab> InsertRibbonTab(const std::string& caption) override;
  std::shared_ptr<host::RibbonGroup> InsertTabGroup(host::RibbonTab& tab,
                                                    const std::string& caption) override;
  std::shared_ptr<host::RibbonControl> InsertGroupControl(host::RibbonGroup& group,
                                                          int32_t command_id) override;
  std::shared_ptr<host::RibbonControl> InsertGroupButton(host::RibbonGroup& group,
                                                         const std::string& caption,
                                                         int32_t command_id, int32_t style,
                                                         bool flag,
                                                         const std::string& tooltip) override;
  void AddFileBitmap(const std::string& image_path, int32_t command_id) override;
  std::shared_ptr<host::RibbonControl> FindRibbonControl(int32_t command_id) override;
  void SetMainRibbonTab() override;
  bool OpenChild(const std::string& form_name, bool modal, const std::string& caption) override;
  std::shared_ptr<host::ChildForm> CreateChildForm(
      std::shared_ptr<host::EmbeddedForm> form) override;
  void RichiamaPaziente(const host::Variant& patient_id) override;
  int32_t Popup(const std::vector<std::string>& items) override;

  const FakeControl* ButtonWithTooltip(const std::string& tooltip) const;
};

class FakeArchive : public host::Archive {
 public:
  std::shared_ptr<host::Patient> DaiPazienteRegionale(const std::string&, bool) override {
    return nullptr;
  }
};

class FakeHost : public host::HostApp {
 public:
  FakeFramework framework;
  FakeXmlFiles xml_files;
  FakeArchive archive;
  int new_xml_calls = 0;
  bool new_xml_fails = false;

  host::Framework& GetFramework() override { return framework; }
  std::shared_ptr<host::XmlDocument> NewXML() override {
    ++new_xml_calls;
    if (new_xml_fails) throw RuntimeError(429, "Il componente ActiveX non può creare l'oggetto");
    return std::make_shared<FakeXmlDocument>(xml_files);
  }
  host::Archive& Archivio() override { return archive; }
};

// ---- Ui -------------------------------------------------------------------------

class RecordingUi : public ui::Ui {
 public:
  struct Box {
    std::string text;
    int style;
    std::string title;
  };
  std::vector<Box> boxes;
  int pointer = ui::kPointerDefault;
  int beeps = 0;

  int MsgBox(const std::string& text, int style, const std::string& title) override {
    boxes.push_back({text, style, title});
    return (style & ui::kYesNoButtons) ? ui::kAnswerNo : ui::kAnswerOk;
  }
  int MousePointer() const override { return pointer; }
  void SetMousePointer(int p) override { pointer = p; }
  void Beep() override { ++beeps; }
  void ShowModal(ui::ModalForm& form) override { form.Close(); }
  std::optional<std::string> BrowseForFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  int PopupMenu(const std::vector<std::string>&) override { return 0; }
};

// A host form object for "form.load": a Dispatch whose "Name" is `name`.
class FakeHostForm : public host::Dispatch {
 public:
  explicit FakeHostForm(host::Variant name) : name_(std::move(name)) {}
  host::Variant Get(std::string_view member) override {
    if (member == "Name") return name_;
    throw RuntimeError(kErrNoSuchMember);
  }

 private:
  host::Variant name_;
};

}  // namespace lirvo::testing
