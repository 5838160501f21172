#include "forms/folder_browser.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"

namespace lirvo::forms {
namespace {

TEST(FolderBrowserTest, OpensOnTheStartFolderAndGivesTheChoiceOrNothing) {
  test_support::RecordingUi ui;
  ui.QueueFolder("/dati/referti");
  ui.QueueFolder(std::nullopt);
  EXPECT_EQ(BrowseForFolder(ui, "/dati/"), "/dati/referti");
  EXPECT_EQ(BrowseForFolder(ui, ""), "");
  const auto browses = test_support::CallsOf(ui, "browse");
  ASSERT_EQ(browses.size(), 2u);
  EXPECT_EQ(browses[0]["title"], "Cartella referti");
  EXPECT_EQ(browses[0]["start"], "/dati/");
  EXPECT_EQ(browses[1]["answer"], nullptr);
}

}  // namespace
}  // namespace lirvo::forms
