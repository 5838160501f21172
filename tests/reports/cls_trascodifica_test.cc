#include "reports/cls_trascodifica.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/product.h"
#include "standin/xml_document.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"
#include "support/trap_recorder.h"

namespace lirvo::reports {
namespace {

using test_support::ThrowsRuntimeError;

struct Entry {
  std::string codice, descrizione, cln_id, cln_descrizione;
};

// An "esame" element with the entry's four values, under element names the
// reader does not look at; `children` below 4 drops the last ones.
std::string Esame(const Entry& e, int children = 4) {
  const std::string values[] = {e.codice, e.descrizione, e.cln_id, e.cln_descrizione};
  std::string xml = "<esame>";
  for (int i = 0; i < children; ++i) {
    const std::string tag = "v" + std::to_string(i);
    xml += "<" + tag + ">" + values[i] + "</" + tag + ">";
  }
  return xml + "</esame>";
}

// The table file in a temporary plug-in folder, and a table over it.
class Table {
 public:
  Table()
      : table_([] { return std::make_shared<standin::PugiXmlDocument>(RealFileSystem()); },
               dir_.path()) {}

  void Write(const std::string& body) {
    RealFileSystem().WriteFile(dir_.File(kTranscodingFileName), "<tabella>" + body + "</tabella>");
  }
  void WriteRaw(const std::string& text) {
    RealFileSystem().WriteFile(dir_.File(kTranscodingFileName), text);
  }
  clsTrascodifica& operator*() { return table_; }
  clsTrascodifica* operator->() { return &table_; }

 private:
  test_support::TempDir dir_;
  clsTrascodifica table_;
};

std::string ElementsOf(const std::vector<Entry>& entries) {
  std::string body;
  for (const auto& e : entries) body += Esame(e);
  return body;
}

TEST(TrascodificaTest, LookupsAreExactAndCaseSensitive) {
  Table table;
  table.Write(ElementsOf({{"GLU", "Glucosio", "101", "Glicemia"},
                          {" AST ", "Transaminasi", "102", "AST (GOT)"},
                          {"NA", "", "", "Sodiemia"},
                          {"", "Senza codice", "104", "Vuoto"}}) +
              "<gruppo><esame><a>K</a><b>Potassio</b><c>105</c><d>K</d></esame></gruppo>");
  struct Case {
    std::string code;
    bool found;
    std::string id, ds, descrizione;
  } cases[] = {
      {"GLU", true, "101", "Glicemia", "Glucosio"},
      // Other cases and blanks: IndexAnswersAsTheWalk.
      {"glu", false, "", "", ""},
      {" AST ", true, "102", "AST (GOT)", "Transaminasi"},
      {"NA", true, "", "Sodiemia", ""},  // an empty host identifier is still found
      {"", true, "104", "Vuoto", "Senza codice"},
      {"K", false, "", "", ""},  // "esame" elements below the root's children are not entries
      {"XYZ", false, "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("code '" + c.code + "'");
    std::string id = "old", ds = "old";
    EXPECT_EQ(table->AllineamentoClinora(c.code, id, ds), c.found);
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(ds, c.ds);
    EXPECT_EQ(table->DescrizioneEsame(c.code), c.descrizione);
  }
  ASSERT_NE(table->Lista(), nullptr);
  EXPECT_EQ(table->Lista()->Count(), 4u);
  EXPECT_EQ(table->Lista()->Item(2).codice(), " AST ");
  EXPECT_EQ(table->Lista()->FindKey("glu"), &table->Lista()->Item(1));
  EXPECT_THAT([&] { table->Lista()->Item(5); }, ThrowsRuntimeError(9));
}

// An entry that stops the load: the lookup that loads reports not found
// whatever it asked for; from then on the entries before the stop answer.
TEST(TrascodificaTest, AnEntryStopsTheLoadAndKeepsTheOnesBefore) {
  const Entry glu{"GLU", "Glucosio", "101", "Glicemia"};
  const Entry ast{"AST", "Transaminasi", "102", "AST"};
  struct Case {
    const char* name;
    std::string body;
    int error;
  } cases[] = {
      {"code repeated in another case", Esame(glu) + Esame({"glu", "x", "9", "x"}) + Esame(ast),
       457},
      {"code repeated exactly", Esame(glu) + Esame(glu) + Esame(ast), 457},
      {"three child nodes", Esame(glu) + Esame(ast, 3) + Esame({"K", "Potassio", "103", "K"}), 91},
      {"no child nodes", Esame(glu) + "<esame/>" + Esame(ast), 91},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Table table;
    table.Write(c.body);
    {
      test_support::TrapRecorder recorder;
      std::string id, ds;
      EXPECT_FALSE(table->AllineamentoClinora("GLU", id, ds));
      EXPECT_EQ(id + ds, "");
      ASSERT_EQ(recorder.traps.size(), 1u);
      EXPECT_EQ(recorder.traps[0].where, "clsTrascodifica.AllineamentoClinora");
      EXPECT_EQ(recorder.traps[0].number, c.error);
    }
    std::string id, ds;
    EXPECT_TRUE(table->AllineamentoClinora("GLU", id, ds));
    EXPECT_EQ(id, "101");
    EXPECT_FALSE(table->AllineamentoClinora("AST", id, ds));
    EXPECT_EQ(table->Lista()->Count(), 1u);

    Table fresh;
    fresh.Write(c.body);
    EXPECT_THAT([&] { fresh->Lista(); }, ThrowsRuntimeError(c.error));
    EXPECT_EQ(fresh->Lista()->Count(), 1u);
    test_support::TrapRecorder recorder;
    fresh->Refresh();
    EXPECT_EQ(fresh->DescrizioneEsame("GLU"), "");
    ASSERT_EQ(recorder.traps.size(), 1u);
    EXPECT_EQ(recorder.traps[0].where, "clsTrascodifica.DescrizioneEsame");
    EXPECT_EQ(fresh->DescrizioneEsame("GLU"), "Glucosio");
  }
}

TEST(TrascodificaTest, AFileThatDoesNotLoadIsTriedAgainOnNextUse) {
  struct Case {
    const char* name;
    bool write;
    std::string text;
  } cases[] = {
      // Which files are no XML document: xml_document_test.
      {"missing", false, ""},
      {"not XML", true, "GLU;Glucosio;101;Glicemia"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Table table;
    if (c.write) table.WriteRaw(c.text);
    std::string id = "x", ds = "x";
    EXPECT_EQ(table->Lista(), nullptr);
    EXPECT_FALSE(table->AllineamentoClinora("GLU", id, ds));
    EXPECT_EQ(id + ds, "");
    EXPECT_EQ(table->DescrizioneEsame("GLU"), "");
    table.Write(Esame({"GLU", "Glucosio", "101", "Glicemia"}));
    EXPECT_TRUE(table->AllineamentoClinora("GLU", id, ds));
    EXPECT_EQ(id, "101");
  }
}

TEST(TrascodificaTest, TheFileIsReadOncePerInstanceUntilRefresh) {
  Table table;
  table.Write(Esame({"GLU", "Glucosio", "101", "Glicemia"}));
  EXPECT_EQ(table->DescrizioneEsame("GLU"), "Glucosio");
  table.Write(Esame({"GLU", "Glucosio nuovo", "201", "Glicemia"}));
  EXPECT_EQ(table->DescrizioneEsame("GLU"), "Glucosio");
  table.WriteRaw("rotto");
  EXPECT_EQ(table->DescrizioneEsame("GLU"), "Glucosio");
  table->Refresh();
  EXPECT_EQ(table->DescrizioneEsame("GLU"), "");
  table.Write(Esame({"GLU", "Glucosio nuovo", "201", "Glicemia"}));
  std::string id, ds;
  EXPECT_TRUE(table->AllineamentoClinora("GLU", id, ds));
  EXPECT_EQ(id, "201");
}

// The index against a literal walk from the first entry: small tables whose
// codes collide often in case and blanks, most stopped by an entry, and
// tables of up to 2,000 entries that make the index grow.
TEST(TrascodificaTest, IndexAnswersAsTheWalk) {
  std::mt19937 rng(20261206);
  auto random_code = [&](bool numbered) {
    std::string s(rng() % 4, ' ');
    for (char& c : s) c = "aAbB "[rng() % 5];
    if (numbered && rng() % 8 != 0) s += std::to_string(rng() % 4000);
    return s;
  };
  for (int round = 0; round < 120; ++round) {
    const bool large = round % 4 == 0;
    Table table;
    std::string body;
    const int n = static_cast<int>(rng() % (large ? 2000 : 12));
    for (int i = 0; i < n; ++i) {
      const std::string k = std::to_string(i);
      const int children = rng() % (large ? 2000 : 20) == 0 ? 3 : 4;
      body += Esame({random_code(large), "d" + k, "id" + k, "ds" + k}, children);
    }
    table.Write(body);
    try {
      table->Lista();
    } catch (const RuntimeError&) {
    }
    const auto list = table->Lista();
    ASSERT_NE(list, nullptr);
    for (int q = 0; q < 40; ++q) {
      const std::string code = q % 2 == 0 && list->Count() > 0
                                   ? list->Item(1 + rng() % list->Count()).codice()
                                   : random_code(large);
      std::string want_id, want_ds, want_descrizione;
      bool want = false;
      for (size_t i = 1; i <= list->Count(); ++i) {
        if (list->Item(i).codice() == code) {
          want = true;
          want_id = list->Item(i).clnID();
          want_ds = list->Item(i).clnDescrizione();
          want_descrizione = list->Item(i).descrizione();
          break;
        }
      }
      std::string id, ds;
      ASSERT_EQ(table->AllineamentoClinora(code, id, ds), want) << "'" << code << "'";
      EXPECT_EQ(id, want_id);
      EXPECT_EQ(ds, want_ds);
      EXPECT_EQ(table->DescrizioneEsame(code), want_descrizione);
    }
  }
}

}  // namespace
}  // namespace lirvo::reports
