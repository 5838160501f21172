#include "forms/folder_browser.h"

#include "base/file_system.h"
#include "base/text.h"

namespace lirvo::forms {

std::string BrowseForFolder(ui::Ui& ui, const std::string& start_folder) {
  return ui.BrowseForFolder(kBrowseTitle, start_folder).value_or(std::string());
}

std::string BrowseForNewFolder(ui::Ui& ui, std::string_view shown) {
  const std::string current(Trim(shown));
  std::string chosen(Trim(BrowseForFolder(ui, current)));
  if (chosen.empty()) return "";
  if (!IsPathSeparator(chosen.back())) chosen += kPathSeparator;
  return EqualsText(chosen, current) ? std::string() : chosen;
}

}  // namespace lirvo::forms
