#include "standin/xml_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/files.h"
#include "base/runtime_error.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::standin {
namespace {

using test_support::ThrowsRuntimeError;

constexpr const char* kConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<configurazione name="Clinora - Referti Lirvo">
  <parameters>
    <parameter name="documentsfolder">/srv/lirvo/documents/</parameter>
    <!-- a note -->
    <parameter name="altro">x<b>y</b>z</parameter>
  </parameters>
</configurazione>
)";

class XmlDocumentTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, std::string_view bytes) {
    ReplaceFileContent(RealFileSystem(), dir_.File(name), bytes);
  }
  test_support::TempDir dir_;
  PugiXmlDocument doc_{RealFileSystem()};
};

TEST_F(XmlDocumentTest, LoadFailuresGiveFalseAndAnEmptyDocumentAndNodesOutliveAReload) {
  Write("broken.xml", "<a><b></a>");
  Write("empty.xml", "");
  Write("text.xml", "just text");
  Write("good.xml", kConfig);
  Write("two-roots.xml", "<configurazione/><configurazione/>");
  Write("twice.xml", R"(<a><b name="x" name="y"/></a>)");
  for (const char* name :
       {"missing.xml", "broken.xml", "empty.xml", "text.xml", "two-roots.xml", "twice.xml"}) {
    ASSERT_TRUE(doc_.LoadFileXML(dir_.File("good.xml")));
    EXPECT_FALSE(doc_.LoadFileXML(dir_.File(name))) << name;
    EXPECT_EQ(doc_.RootNode(), nullptr) << name;
  }
  EXPECT_FALSE(doc_.LoadFileXML(dir_.path()));  // a folder

  // Nodes outlive a reload.
  Write("a.xml", "<a><b>first</b></a>");
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("a.xml")));
  auto b = doc_.SelectNodeList(doc_.RootNode(), "b").at(0);
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("good.xml")));
  EXPECT_EQ(b->Text(), "first");
  EXPECT_EQ(doc_.RootNode()->NodeName(), "configurazione");
}

TEST_F(XmlDocumentTest, SelectsRelativePathsAndReadsAttributesAndText) {
  Write("Config.xml", kConfig);
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("Config.xml")));
  auto root = doc_.RootNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->NodeName(), "configurazione");
  EXPECT_EQ(doc_.GetAttribute(root, "name"), "Clinora - Referti Lirvo");
  EXPECT_EQ(doc_.GetAttribute(root, "missing"), "");

  auto params = doc_.SelectNodeList(root, "parameters/parameter");
  ASSERT_EQ(params.size(), 2u);
  auto name = params[0]->GetNamedItem("name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->Text(), "documentsfolder");
  EXPECT_EQ(params[0]->GetNamedItem("value"), nullptr);
  EXPECT_EQ(params[0]->Text(), "/srv/lirvo/documents/");
  EXPECT_EQ(params[1]->Text(), "xyz");  // all text below the node
  // The element children only: no comment, no text between them.
  auto children = doc_.SelectNodeList(root, "parameters").at(0)->ChildNodes();
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[1]->Text(), "xyz");

  EXPECT_TRUE(doc_.SelectNodeList(root, "nothing/here").empty());
  EXPECT_TRUE(doc_.SelectNodeList(params[0], "@name").empty());  // elements only

  EXPECT_THAT([&] { doc_.SelectNodeList(nullptr, "parameters/parameter"); },
              ThrowsRuntimeError(kErrObjectNotSet));
  EXPECT_THROW(doc_.GetAttribute(nullptr, "name"), RuntimeError);
  EXPECT_THROW(doc_.SelectNodeList(root, "parameters[["), RuntimeError);
}

TEST_F(XmlDocumentTest, ReadsWindows1252WhenTheFileSaysSo) {
  Write("w.xml", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>citt\xe0 \x80</r>");
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("w.xml")));
  EXPECT_EQ(doc_.RootNode()->Text(), "città €");
  Write("u.xml", "\xef\xbb\xbf<r>citt\xc3\xa0</r>");
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("u.xml")));
  EXPECT_EQ(doc_.RootNode()->Text(), "città");
}

TEST_F(XmlDocumentTest, SetTextAndSaveWriteUtf8WithADeclaration) {
  Write("w.xml",
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
        "<c name=\"x\"><parameters><parameter name=\"documentsfolder\">old</parameter>"
        "</parameters></c>");
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("w.xml")));
  auto p = doc_.SelectNodeList(doc_.RootNode(), "parameters/parameter").at(0);
  p->SetText("/srv/città & <co>/");
  doc_.SaveFile(dir_.File("w.xml"));

  const std::string saved = RealFileSystem().ReadFile(dir_.File("w.xml"));
  EXPECT_TRUE(saved.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << saved;
  EXPECT_NE(saved.find("/srv/città &amp; &lt;co&gt;/"), std::string::npos) << saved;

  PugiXmlDocument again(RealFileSystem());
  ASSERT_TRUE(again.LoadFileXML(dir_.File("w.xml")));
  EXPECT_EQ(again.SelectNodeList(again.RootNode(), "parameters/parameter").at(0)->Text(),
            "/srv/città & <co>/");
  EXPECT_EQ(again.GetAttribute(again.RootNode(), "name"), "x");

  // An attribute node's text is its value and can be set too.
  auto attr = again.RootNode()->GetNamedItem("name");
  attr->SetText("y");
  EXPECT_EQ(again.GetAttribute(again.RootNode(), "name"), "y");
}

TEST_F(XmlDocumentTest, FailedSaveRaisesAndKeepsTheOldFile) {
  Write("Config.xml", kConfig);
  ASSERT_TRUE(doc_.LoadFileXML(dir_.File("Config.xml")));
  doc_.SelectNodeList(doc_.RootNode(), "parameters/parameter").at(0)->SetText("/new/");

  ASSERT_EQ(::chmod(dir_.File("Config.xml").c_str(), 0444), 0);
  EXPECT_THAT([&] { doc_.SaveFile(dir_.File("Config.xml")); },
              ThrowsRuntimeError(kErrPermissionDenied));
  EXPECT_EQ(RealFileSystem().ReadFile(dir_.File("Config.xml")), kConfig);
  ASSERT_EQ(::chmod(dir_.File("Config.xml").c_str(), 0644), 0);

  EXPECT_THROW(doc_.SaveFile(dir_.File("no-folder/Config.xml")), RuntimeError);
}

}  // namespace
}  // namespace lirvo::standin
