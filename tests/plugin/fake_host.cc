#include "plugin/fake_host.h"

namespace lirvo::testing {

std::shared_ptr<FakeXmlNode> ConfigTree(
    const std::string& product, const std::vector<std::pair<std::string, std::string>>& params) {
  auto root = std::make_shared<FakeXmlNode>("config");
  root->Attr("name", product);
  auto parameters = root->Add(std::make_shared<FakeXmlNode>("parameters"));
  for (const auto& [name, value] : params) {
    auto p = parameters->Add(std::make_shared<FakeXmlNode>("parameter", value));
    if (!name.empty()) p->Attr("name", name);
  }
  return root;
}

std::shared_ptr<host::RibbonGroup> FakeTab::AddGroup(const std::string& caption, int32_t style) {
  const std::string call = "AddGroup(" + caption + ", " + std::to_string(style) + ")";
  framework.Log(call);
  if (framework.Nothing(call)) return nullptr;
  return std::make_shared<FakeGroup>(caption);
}

void FakeFramework::Log(const std::string& call) {
  calls.push_back(call);
  for (const auto& f : failing) {
    if (call.rfind(f, 0) == 0) throw RuntimeError(kErrInvalidCall);
  }
}

bool FakeFramework::Nothing(const std::string& call) const {
  for (const auto& n : returning_nothing) {
    if (call.rfind(n, 0) == 0) return true;
  }
  return false;
}

int32_t FakeFramework::GetNewID() {
  ++get_new_id_calls;
  Log("GetNewID#" + std::to_string(get_new_id_calls));
  return next_id++;
}

std::shared_ptr<host::RibbonTab> FakeFramework::InsertRibbonTab(const std::string& caption) {
  const std::string call = "InsertRibbonTab(" + caption + ")";
  Log(call);
  if (Nothing(call)) return nullptr;
  tabs.push_back(std::make_shared<FakeTab>(*this, caption));
  return tabs.back();
}

std::shared_ptr<host::RibbonGroup> FakeFramework::InsertTabGroup(host::RibbonTab& tab,
                                                                 const std::string& caption) {
  const std::string call = "InsertTabGroup(" + tab.Caption() + ", " + caption + ")";
  Log(call);
  if (Nothing(call)) return nullptr;
  return std::make_shared<FakeGroup>(caption);
}

std::shared_ptr<host::RibbonControl> FakeFramework::InsertGroupControl(host::RibbonGroup& group,
                                                                       int32_t command_id) {
  const std::string call =
      "InsertGroupControl(" + group.Caption() + ", " + std::to_string(command_id) + ")";
  Log(call);
  if (Nothing(call)) return nullptr;
  auto c = std::make_shared<FakeControl>();
  c->kind = "control";
  c->group = group.Caption();
  c->id = command_id;
  controls.push_back(c);
  return c;
}

std::shared_ptr<host::RibbonControl> FakeFramework::InsertGroupButton(host::RibbonGroup& group,
                                                                      const std::string& caption,
                                                                      int32_t command_id,
                                                                      int32_t style, bool flag,
                                                                      const std::string& tooltip) {
  const std::string call = "InsertGroupButton(" + group.Caption() + ", " + caption + ", " +
                           std::to_string(command_id) + ", " + std::to_string(style) + ", " +
                           (flag ? "True" : "False") + ", " + tooltip + ")";
  Log(call);
  if (Nothing(call)) return nullptr;
  auto c = std::make_shared<FakeControl>();
  c->kind = "button";
  c->group = group.Caption();
  c->caption = caption;
  c->tooltip = tooltip;
  c->id = command_id;
  c->style = style;
  c->flag = flag;
  controls.push_back(c);
  return c;
}

void FakeFramework::AddFileBitmap(const std::string& image_path, int32_t command_id) {
  Log("AddFileBitmap(" + image_path + ", " + std::to_string(command_id) + ")");
}

std::shared_ptr<host::RibbonControl> FakeFramework::FindRibbonControl(int32_t command_id) {
  Log("FindRibbonControl(" + std::to_string(command_id) + ")");
  for (auto& c : controls) {
    if (c->id == command_id) return c;
  }
  return nullptr;
}

void FakeFramework::SetMainRibbonTab() { Log("SetMainRibbonTab()"); }

bool FakeFramework::OpenChild(const std::string& form_name, bool modal,
                              const std::string& caption) {
  Log("OpenChild(" + form_name + ", " + (modal ? "True" : "False") + ", , " + caption + ")");
  for (auto& c : children) {
    if (c->caption == caption) return true;
  }
  return false;
}

std::shared_ptr<host::ChildForm> FakeFramework::CreateChildForm(
    std::shared_ptr<host::EmbeddedForm> form) {
  Log("CreateChildForm(" + (form ? form->Name() : std::string("Nothing")) + ")");
  auto child = std::make_shared<FakeChildForm>();
  child->form = std::move(form);
  children.push_back(child);
  return child;
}

void FakeFramework::RichiamaPaziente(const host::Variant& patient_id) {
  Log("RichiamaPaziente(" + host::Describe(patient_id) + ")");
}

int32_t FakeFramework::Popup(const std::vector<std::string>& items) {
  Log("Popup(" + std::to_string(items.size()) + ")");
  return 0;
}

const FakeControl* FakeFramework::ButtonWithTooltip(const std::string& tooltip) const {
  for (const auto& c : controls) {
    if (c->tooltip == tooltip) return c.get();
  }
  return nullptr;
}

}  // namespace lirvo::testing
