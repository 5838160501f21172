#include "forms/folder_browser.h"

namespace lirvo::forms {

std::string BrowseForFolder(ui::Ui& ui, const std::string& start_folder) {
  return ui.BrowseForFolder(kBrowseTitle, start_folder).value_or(std::string());
}

}  // namespace lirvo::forms
