#include "forms/folder_browser.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"

namespace lirvo::forms {
namespace {

TEST(FolderBrowserTest, ANewFolderIsTrimmedEndsWithASeparatorAndDiffersInMoreThanCase) {
  struct Case {
    std::string shown;
    std::optional<std::string> answer;
    std::string chosen;
  };
  for (const Case& c : std::vector<Case>{
           {"/dati/referti/", std::nullopt, ""},
           {"/dati/referti/", "   ", ""},
           {"/dati/referti/", "/DATI/Referti", ""},
           {" /dati/referti/ ", "/dati/nuovi", "/dati/nuovi/"},
           {"", "  /dati/nuovi/ ", "/dati/nuovi/"},
       }) {
    test_support::RecordingUi ui;
    ui.QueueFolder(c.answer);
    EXPECT_EQ(BrowseForNewFolder(ui, c.shown), c.chosen) << c.answer.value_or("cancel");
    const auto browses = test_support::CallsOf(ui, "browse");
    ASSERT_EQ(browses.size(), 1u);
    EXPECT_EQ(browses[0]["title"], "Cartella referti");
    EXPECT_EQ(browses[0]["start"], c.shown == " /dati/referti/ " ? "/dati/referti/" : c.shown);
  }
}

}  // namespace
}  // namespace lirvo::forms
