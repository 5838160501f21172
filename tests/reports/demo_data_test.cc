#include "demo/demo_data.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/cp1252.h"
#include "base/text.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"
#include "standin/demo_install.h"

namespace lirvo::demo {
namespace {

TEST(DemoPatients, WellFormedAndDistinct) {
  const auto& patients = DemoPatients();
  ASSERT_GE(patients.size(), 18u);
  std::set<std::string> codes;
  for (const DemoPatient& p : patients) {
    EXPECT_EQ(p.codice_fiscale.size(), 16u) << p.surname;
    EXPECT_EQ(p.birth_date.size(), 10u) << p.surname;
    EXPECT_EQ(p.tessera.size(), 10u) << p.surname;
    EXPECT_TRUE(codes.insert(p.codice_fiscale).second) << p.codice_fiscale;
    EXPECT_TRUE(codes.insert(p.tessera).second) << p.tessera;
  }
  // Known codes: the algorithm's check letter and the name rules.
  EXPECT_EQ(patients[0].codice_fiscale, "RSSMRA48C12H501C");  // Rossi Mario, 12/03/1948, Roma
  EXPECT_EQ(patients[1].codice_fiscale.substr(0, 11), "BNCGLI75L65");  // a woman: day + 40
}

TEST(MakeDemoBundle, DeterministicAndParsable) {
  DemoBundleOptions options;
  options.seed = 11;
  options.reports = 120;
  const std::string text = MakeDemoBundle(options);
  EXPECT_EQ(text, MakeDemoBundle(options));
  options.seed = 12;
  EXPECT_NE(text, MakeDemoBundle(options));

  // Every character fits Windows-1252, and the text is already normal.
  EXPECT_EQ(Cp1252ToUtf8(Utf8ToCp1252(text)), text);
  EXPECT_EQ(reports::NormaliseLineBreaks(text), text);

  std::set<std::string> known;
  for (const DemoPatient& p : DemoPatients()) {
    known.insert(p.codice_fiscale);
    known.insert(p.tessera);
  }
  const auto pieces = reports::CutPieces(text);
  ASSERT_EQ(pieces.size(), 121u);
  EXPECT_EQ(pieces[0], "");
  size_t text_reports = 0, lab_reports = 0, out_of_range = 0, strangers = 0, tessere = 0;
  size_t nomenclature = 0;
  for (size_t i = 1; i < pieces.size(); ++i) {
    reports::ReportRecord r;
    ASSERT_TRUE(reports::ParseReport(pieces[i], reports::Layout::Lines, r)) << i;
    EXPECT_EQ(r.ReportDate.size(), 10u);
    EXPECT_EQ(r.CheckInDate.size(), 10u);
    EXPECT_FALSE(r.ExamCodes.empty());
    EXPECT_FALSE(r.Body.empty());
    (r.Kind == "L" ? lab_reports : text_reports)++;
    if (r.OutOfRange) ++out_of_range;
    if (!known.count(r.PatientCode)) ++strangers;
    if (r.PatientCode.size() == 10 && known.count(r.PatientCode)) ++tessere;
    if (r.ExamDescriptions.find(r.ExamCodes.substr(0, r.ExamCodes.find(','))) == 0) ++nomenclature;
  }
  EXPECT_GT(text_reports, 30u);
  EXPECT_GT(lab_reports, 20u);
  EXPECT_GT(out_of_range, 3u);
  EXPECT_GT(strangers, 0u);
  EXPECT_LT(strangers, 30u);
  EXPECT_GT(tessere, 0u);
  EXPECT_GT(nomenclature, 50u);
}

TEST(MakeDemoBundle, TargetSizeAndLineBreak) {
  DemoBundleOptions options;
  options.target_bytes = 200000;
  const std::string big = MakeDemoBundle(options);
  EXPECT_GE(big.size(), 200000u);
  EXPECT_LT(big.size(), 210000u);

  options.target_bytes = 0;
  options.reports = 5;
  options.line_break = "\n";
  const std::string lf = MakeDemoBundle(options);
  EXPECT_EQ(lf.find('\r'), std::string::npos);
  options.line_break = "\r\n";
  EXPECT_EQ(reports::NormaliseLineBreaks(lf), MakeDemoBundle(options));
}

}  // namespace
}  // namespace lirvo::demo

namespace lirvo::demo {
namespace {

// The demo table knows every laboratory code of the demo bundles but the
// urine colour, and loads whole: no code repeats in any letter case.
TEST(DemoTranscoding, CoversTheDemoBundlesAndLoadsWhole) {
  std::set<std::string> table;
  for (const auto& entry : standin::DemoTranscoding()) {
    EXPECT_TRUE(table.insert(UCase(entry.codice)).second) << entry.codice;
  }
  std::set<std::string> unknown;
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const std::string text = MakeDemoBundle({.seed = seed, .reports = 200});
    for (size_t at = text.find("#05#"); at != std::string::npos; at = text.find("#05#", at + 1)) {
      const std::string code(Trim(text.substr(at + 4, 20)));
      if (table.count(UCase(code)) == 0) unknown.insert(code);
    }
  }
  EXPECT_EQ(unknown, std::set<std::string>{"URC"});
}

}  // namespace
}  // namespace lirvo::demo
