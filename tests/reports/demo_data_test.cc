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
  // The codes themselves show in the import transcript's printed list (tests/e2e).
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

  // Every piece reads as a whole report. The mix of kinds, patients and
  // codes shows in the demo bundles the import transcripts compare whole
  // (tests/e2e).
  const auto pieces = reports::CutPieces(text);
  ASSERT_EQ(pieces.size(), 121u);
  EXPECT_EQ(pieces[0], "");
  for (size_t i = 1; i < pieces.size(); ++i) {
    reports::ReportRecord r;
    ASSERT_TRUE(reports::ParseReport(pieces[i], reports::Layout::Lines, r)) << i;
    EXPECT_EQ(r.ReportDate.size(), 10u);
    EXPECT_EQ(r.CheckInDate.size(), 10u);
    EXPECT_FALSE(r.ExamCodes.empty());
    EXPECT_FALSE(r.Body.empty());
  }
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
