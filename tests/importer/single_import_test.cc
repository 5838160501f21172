#include "importer/single_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "importer/import_fixture.h"

namespace lirvo::importer {
namespace {

using test_support::Lab;
using test_support::Piece;
using test_support::TextPiece;

// What a call answers, the count it gives and its error text.
using Outcome = std::tuple<bool, int16_t, std::string>;

class SingleImport : public test_support::ImportFixture {
 protected:
  Outcome Import(const std::string& raw_text) { return Import(PatientIdText(), raw_text); }
  Outcome Import(const std::string& patient_id, const std::string& raw_text) {
    int16_t count = -1;
    std::string error = "left over";
    const bool done = ImportSingleReport(*context_, patient_id, raw_text, count, error);
    return {done, count, error};
  }
};

TEST_F(SingleImport, TextReportTwice) {
  EXPECT_EQ(Import(TextPiece(kCode)), Outcome(true, 1, ""));
  EXPECT_EQ(Import(TextPiece(kCode)),
            Outcome(false, 0, "Referto 88.73.5 ECOGRAFIA MAMMARIA del 14/03/2024 già importato!"));
  EXPECT_EQ(SavedVisits().size(), 1u);
  // The hourglass came and went both times.
  EXPECT_EQ(test_support::CallsOf(ui_, "pointer").size(), 4u);
  EXPECT_EQ(ui_.MousePointer(), kPointerDefault);
}

TEST_F(SingleImport, LabReportWithOneValueAlreadyThere) {
  ASSERT_TRUE(std::get<0>(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "*112")))));
  EXPECT_EQ(Import(Piece(kCode, Lab("HB", "EMOGLOBINA", "13,5", "12", "16") +
                                    Lab("GLU", "GLUCOSIO", "112", "70", "110", true) +
                                    Lab("URC", "COLORE URINE", "GIALLO", "", ""))),
            Outcome(false, 2, "Referto GLUCOSIO del 14/03/2024 e valore 112 già importato!"));
  EXPECT_EQ(SavedExams().size(), 3u);
}

TEST_F(SingleImport, FailingSaves) {
  for (const host::Variant& answer : {host::Variant(false), host::Variant(host::Null{})}) {
    ScriptSaves({answer});
    EXPECT_EQ(Import(TextPiece(kCode)),
              Outcome(false, 0, "Salvataggio referto 88.73.5 ECOGRAFIA MAMMARIA non a buon fine"));
  }
  ScriptSaves({host::Empty{}, false});
  EXPECT_EQ(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98") + Lab("URC", "COLORE", "X"))),
            Outcome(false, 1, "Salvataggio referto COLORE non a buon fine"));
  EXPECT_TRUE(SavedVisits().empty());
}

TEST_F(SingleImport, ReportsThatAreNotThisRowsGiveFalseWithoutAText) {
  const std::string other = host::ToText(host_->AddPatient("VERDI", "ANNA", "VRDNNA")->ID());
  struct Case {
    std::string patient_id, raw_text;
  } cases[] = {
      {PatientIdText(), ""},
      {PatientIdText(), TextPiece("SCONOSCIUTO")},
      {other, TextPiece(kCode)},
  };
  for (const Case& c : cases) EXPECT_EQ(Import(c.patient_id, c.raw_text), Outcome(false, 0, ""));
  EXPECT_TRUE(SavedVisits().empty());
}

TEST_F(SingleImport, AnErrorEndsTheCallKeepingWhatWasSaved) {
  // A save answering what is no Boolean stops the report after its first
  // value: that value stays, and with no error line the call counts it.
  ScriptSaves({host::Empty{}, std::string("forse")});
  EXPECT_EQ(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98") + Lab("URC", "COLORE", "X"))),
            Outcome(true, 1, ""));
  EXPECT_EQ(SavedExams().size(), 1u);
  host_->framework_fails = true;
  const auto [done, count, error] = Import(Piece(kCode, Lab("HB", "EMOGLOBINA", "13")));
  EXPECT_FALSE(done);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ui_.MousePointer(), kPointerDefault);
}

}  // namespace
}  // namespace lirvo::importer
