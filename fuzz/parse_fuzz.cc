// The bundle path from the bytes of a file to the parsed reports: the
// Windows-1252 codec, the line-break normalisation (checked against the four
// literal replaces it stands for), the cut and ParseReport in both layouts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/cp1252.h"
#include "base/text.h"
#include "base/utf8.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The exam lists as adding each "#04#" code and label unless InStr finds it
// in the list joined so far (an empty list holding nothing) gives them.
void CheckExamLists(std::string_view piece, const lirvo::reports::ReportRecord& record) {
  std::string codes, labels;
  const auto lines = lirvo::Split(piece, "\r\n");
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].substr(0, 4) != "#04#") continue;
    const std::string_view code = lirvo::Trim(lirvo::Mid(lines[i], 5, 8));
    const std::string_view label = lirvo::Trim(lirvo::Mid(lines[i], 13));
    if (codes.empty() || lirvo::InStr(codes, code) == 0) {
      if (!codes.empty()) codes += ", ";
      codes += code;
    }
    if (labels.empty() || lirvo::InStr(labels, label) == 0) {
      if (!labels.empty()) labels += ", ";
      if (lirvo::reports::IsNomenclatureCode(code)) labels.append(code).append(" ");
      labels += label;
    }
  }
  Check(record.ExamCodes == codes && record.ExamDescriptions == labels);
}

void ParseBoth(std::string_view piece) {
  using lirvo::reports::Layout;
  lirvo::reports::ReportRecord record;
  for (Layout layout : {Layout::Inline, Layout::Lines}) {
    const bool ok = lirvo::reports::ParseReport(piece, layout, record);
    if (!ok) Check(record.Body.empty() && record.PatientCode.empty());
    if (ok) Check(record.Kind == "S" || record.Kind == "L");
    if (ok) CheckExamLists(piece, record);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Every byte string survives the codec's round trip; any bytes read as
  // UTF-8 encode without failing.
  const std::string text = lirvo::Cp1252ToUtf8(bytes);
  Check(lirvo::IsValidUtf8(text));
  Check(lirvo::Utf8ToCp1252(text) == bytes);
  lirvo::Utf8ToCp1252(bytes);

  const std::string normal = lirvo::reports::NormaliseLineBreaks(text);
  const std::string literal = lirvo::Replace(
      lirvo::Replace(lirvo::Replace(lirvo::Replace(text, "\r\n", "#acapo#"), "\n", "#acapo#"), "\r",
                     "#acapo#"),
      "#acapo#", "\r\n");
  Check(normal == literal);

  const auto pieces = lirvo::reports::CutPieces(normal);
  Check(pieces.size() == lirvo::reports::CountPieces(normal));
  std::string joined;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined += "#01#";
    joined += pieces[i];
    ParseBoth(pieces[i]);
  }
  Check(joined == normal);

  // The parser also meets text that never went through the codec.
  ParseBoth(bytes);
  lirvo::reports::LabValue value;
  lirvo::reports::ParseLabLine(bytes, value);
  lirvo::reports::IsNomenclatureCode(bytes.substr(0, 12));
  return 0;
}
