#include "importer/single_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "importer/import_fixture.h"

namespace lirvo::importer {
namespace {

using test_support::Lab;
using test_support::Piece;
using test_support::TextPiece;

class SingleImport : public test_support::ImportFixture {
 protected:
  bool Import(const std::string& raw_text) { return Import(PatientIdText(), raw_text); }
  bool Import(const std::string& patient_id, const std::string& raw_text) {
    count_ = -1;
    error_ = "left over";
    return ImportSingleReport(*context_, patient_id, raw_text, count_, error_);
  }

  int16_t count_ = -1;
  std::string error_;
};

TEST_F(SingleImport, TextReportTwice) {
  EXPECT_TRUE(Import(TextPiece(kCode)));
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(error_, "");
  EXPECT_FALSE(Import(TextPiece(kCode)));
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(error_, "Referto 88.73.5 ECOGRAFIA MAMMARIA del 14/03/2024 già importato!");
  EXPECT_EQ(SavedVisits().size(), 1u);
  // The hourglass came and went both times.
  EXPECT_EQ(test_support::CallsOf(ui_, "pointer").size(), 4u);
  EXPECT_EQ(ui_.MousePointer(), kPointerDefault);
}

TEST_F(SingleImport, LabReportWithOneValueAlreadyThere) {
  ASSERT_TRUE(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "*112"))));
  EXPECT_FALSE(Import(Piece(kCode, Lab("HB", "EMOGLOBINA", "13,5", "12", "16") +
                                       Lab("GLU", "GLUCOSIO", "112", "70", "110", true) +
                                       Lab("URC", "COLORE URINE", "GIALLO", "", ""))));
  EXPECT_EQ(count_, 2);
  EXPECT_EQ(error_, "Referto GLUCOSIO del 14/03/2024 e valore 112 già importato!");
  EXPECT_EQ(SavedExams().size(), 3u);
}

TEST_F(SingleImport, FailingSaves) {
  for (const host::Variant& answer : {host::Variant(false), host::Variant(host::Null{})}) {
    ScriptSaves({answer});
    EXPECT_FALSE(Import(TextPiece(kCode)));
    EXPECT_EQ(count_, 0);
    EXPECT_EQ(error_, "Salvataggio referto 88.73.5 ECOGRAFIA MAMMARIA non a buon fine");
  }
  ScriptSaves({host::Empty{}, false});
  EXPECT_FALSE(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98") + Lab("URC", "COLORE", "X"))));
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(error_, "Salvataggio referto COLORE non a buon fine");
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
  for (const Case& c : cases) {
    EXPECT_FALSE(Import(c.patient_id, c.raw_text));
    EXPECT_EQ(count_, 0);
    EXPECT_EQ(error_, "");
  }
  EXPECT_TRUE(SavedVisits().empty());
}

TEST_F(SingleImport, AnErrorEndsTheCallKeepingWhatWasSaved) {
  // A save answering what is no Boolean stops the report after its first
  // value: that value stays, and with no error line the call counts it.
  ScriptSaves({host::Empty{}, std::string("forse")});
  EXPECT_TRUE(Import(Piece(kCode, Lab("GLU", "GLUCOSIO", "98") + Lab("URC", "COLORE", "X"))));
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(SavedExams().size(), 1u);
  host_->framework_fails = true;
  EXPECT_FALSE(Import(Piece(kCode, Lab("HB", "EMOGLOBINA", "13"))));
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(ui_.MousePointer(), kPointerDefault);
}

}  // namespace
}  // namespace lirvo::importer
