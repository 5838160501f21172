#include "reports/bundle_parser.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/dates.h"
#include "base/text.h"
#include "base/trap.h"
#include "reports/listed_text.h"
#include "reports/scan.h"

namespace lirvo::reports {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// True when no byte of `s` is 0x80 or above: then columns are bytes.
bool IsAscii(std::string_view s) {
  const char* p = s.data();
  const size_t n = s.size();
  size_t i = 0;
  uint64_t acc = 0;
  for (; i + 32 <= n; i += 32) {
    uint64_t w[4];
    std::memcpy(w, p + i, sizeof w);
    acc |= w[0] | w[1] | w[2] | w[3];
    if (acc & 0x8080808080808080ULL) return false;
  }
  for (; i < n; ++i) acc |= static_cast<unsigned char>(p[i]);
  return (acc & 0x8080808080808080ULL) == 0;
}

// Trim of blanks only, sixteen bytes at a time over the long runs of blanks
// that pad the fixed columns.
std::string_view TrimBlanks(std::string_view s) {
  const char* b = s.data();
  const char* e = b + s.size();
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' ');
  while (e - b >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(e - 16));
    const unsigned other =
        ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, blank))) & 0xFFFFu;
    if (other != 0) {
      e -= 16 - (32 - __builtin_clz(other));  // just after the last non-blank
      break;
    }
    e -= 16;
  }
#endif
  while (e > b && e[-1] == ' ') --e;
  while (b < e && *b == ' ') ++b;
  return std::string_view(b, static_cast<size_t>(e - b));
}

// Character columns of one text, with the byte fast path for ASCII.
class Columns {
 public:
  Columns(std::string_view s, bool ascii) : s_(s), ascii_(ascii) {}

  // The byte offset `count` characters after byte offset `pos`.
  size_t Advance(size_t pos, size_t count) const {
    if (pos >= s_.size()) return s_.size();
    if (ascii_) return pos + std::min(count, s_.size() - pos);
    return pos + ByteOffsetOfChar(s_.substr(pos), count);
  }

  // Characters `start` (1-based) to start + length - 1, shorter at the end.
  std::string_view Mid(size_t start, size_t length) const {
    const size_t begin = Advance(0, start - 1);
    return s_.substr(begin, Advance(begin, length) - begin);
  }

  // Characters `start` (1-based) to the end.
  std::string_view From(size_t start) const { return s_.substr(Advance(0, start - 1)); }

 private:
  std::string_view s_;
  bool ascii_;
};

// The fields of a "#05#" line as views into it.
struct LabFields {
  std::string_view code, name, value, unit, low, high;
  bool high_flag = false;  // the rest, trimmed, ends with "H"
  bool Accepted() const { return !name.empty() && (high_flag || !value.empty()); }
  bool MarkedOut() const { return high_flag || (!value.empty() && value.front() == '*'); }
};

LabFields SplitLabLine(std::string_view rest, bool ascii) {
  static constexpr size_t kWidths[6] = {20, 90, 30, 15, 25, 25};
  const Columns cols(rest, ascii);
  std::string_view fields[6];
  size_t pos = 0;
  for (size_t i = 0; i < 6; ++i) {
    const size_t end = cols.Advance(pos, kWidths[i]);
    fields[i] = TrimBlanks(rest.substr(pos, end - pos));
    pos = end;
  }
  const std::string_view trimmed = TrimBlanks(rest);
  return {fields[0],
          fields[1],
          fields[2],
          fields[3],
          fields[4],
          fields[5],
          !trimmed.empty() && trimmed.back() == 'H'};
}

// Appends `s` with every "." written as ",".
void AppendDecimal(std::string& out, std::string_view s) {
  const size_t at = out.size();
  out.append(s);
  for (size_t i = at; i < out.size(); ++i) {
    if (out[i] == '.') out[i] = ',';
  }
}

void AppendValue(std::string& out, const LabFields& f) {
  if (f.high_flag) out.push_back('*');
  AppendDecimal(out, f.value);
}

void AppendRange(std::string& out, const LabFields& f) {
  AppendDecimal(out, f.low);
  out.append(" - ");
  AppendDecimal(out, f.high);
}

void AppendLabEntry(std::string& body, const LabFields& f, Layout layout) {
  if (layout == Layout::Inline) {
    if (!body.empty()) body.append(", ");
    body.append(f.name);
    body.append(": ");
    AppendValue(body, f);
    body.push_back(' ');
    body.append(f.unit);
  } else {
    if (!body.empty()) body.append(kCrLf);
    body.append(f.code);
    body.push_back('\t');
    body.append(f.name);
    body.push_back('\t');
    AppendValue(body, f);
    body.push_back('\t');
    body.append(f.unit);
    body.push_back('\t');
    AppendRange(body, f);
  }
}

// The header date at `field` (8 columns): YYYYMMDD when it reads as a real
// date, else the DDMMYYYY reading without any check.
void ReadHeaderDate(std::string_view field, std::string& out) {
  out.clear();
  if (field.size() == 8 &&
      std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    auto number = [&](size_t at, size_t len) {
      int v = 0;
      for (size_t i = at; i < at + len; ++i) v = v * 10 + (field[i] - '0');
      return v;
    };
    if (IsValidDate(number(0, 4), number(4, 2), number(6, 2))) {
      out.append(field.substr(6, 2))
          .append("/")
          .append(field.substr(4, 2))
          .append("/")
          .append(field.substr(0, 4));
      return;
    }
  }
  out.append(lirvo::Mid(field, 1, 2))
      .append("/")
      .append(lirvo::Mid(field, 3, 2))
      .append("/")
      .append(lirvo::Mid(field, 5, 4));
}

// The fields of a "#04#" line: columns 5-12 and 13 on, trimmed.
struct ExamLine {
  std::string_view code, label;
};

ExamLine ReadExamLine(std::string_view line, bool ascii) {
  const Columns cols(line, ascii);
  return {TrimBlanks(cols.Mid(5, 8)), TrimBlanks(cols.From(13))};
}

// The codes and labels of the "#04#" lines of `piece` from byte `from` (the
// start of a line) on.
void ComingExams(std::string_view piece, size_t from, std::vector<std::string_view>& codes,
                 std::vector<std::string_view>& labels) {
  // An exam line takes at least six bytes with its line break; pages
  // reserved and not used cost nothing.
  const size_t most = std::min((piece.size() - from) / 6 + 1, kMaxReportLines);
  codes.reserve(most);
  labels.reserve(most);
  // A report of more lines than kMaxReportLines is no report: no need to
  // look further.
  for (size_t begin = from, lines = 0; lines < kMaxReportLines; ++lines) {
    bool high = false;
    const size_t end = scan::FindCrLfNotingHigh(piece, begin, high);
    const std::string_view line =
        piece.substr(begin, (end == scan::kNotFound ? piece.size() : end) - begin);
    if (scan::StartsWith4(line, "#04#")) {
      const ExamLine exam = ReadExamLine(line, !high);
      codes.push_back(exam.code);
      labels.push_back(exam.label);
    }
    if (end == scan::kNotFound) return;
    begin = end + kCrLf.size();
  }
}

// ExamCodes and ExamDescriptions as they grow: an entry is added unless it
// already occurs in its list.
class ExamLists {
 public:
  explicit ExamLists(ReportRecord& r) : codes_(r.ExamCodes), labels_(r.ExamDescriptions) {}

  // Adds the exam line that starts at byte `at` of `piece`.
  void Add(std::string_view piece, size_t at, const ExamLine& exam) {
    if (codes_.WantsForecast(exam.code) || labels_.WantsForecast(exam.label)) {
      // A report with many exam lines: the lists index themselves for the
      // entries still to come.
      std::vector<std::string_view> codes, labels;
      ComingExams(piece, at, codes, labels);
      codes_.Expect(std::move(codes));
      labels_.Expect(std::move(labels));
    }
    if (!codes_.Contains(exam.code)) codes_.Add(exam.code);
    if (!labels_.Contains(exam.label)) {
      labels_.Add(exam.label, IsNomenclatureCode(exam.code) ? exam.code : std::string_view());
    }
  }

 private:
  ListedText codes_, labels_;
};

void ClearParsedFields(ReportRecord& r) {
  r.PatientCode.clear();
  r.Kind.clear();
  r.ExamCodes.clear();
  r.ExamDescriptions.clear();
  r.ReportDate.clear();
  r.CheckInDate.clear();
  r.OutOfRange = false;
  r.Body.clear();
}

bool ParsePiece(std::string_view piece, Layout layout, ReportRecord& r, int& lab_values) {
  if (TrimBlanks(piece).empty()) return false;
  // The header fields end at column 64: bytes are columns there when the
  // first 64 bytes are ASCII.
  const Columns header(piece, IsAscii(piece.substr(0, 64)));
  r.PatientCode.assign(TrimBlanks(header.Mid(19, 16)));
  r.Kind.assign("S");
  ReadHeaderDate(header.Mid(39, 8), r.ReportDate);
  ReadHeaderDate(header.Mid(57, 8), r.CheckInDate);

  ExamLists exams(r);
  bool lab = false;
  size_t lines = 1;
  bool high = false;
  size_t pos = scan::FindCrLfNotingHigh(piece, 0, high);
  while (pos != scan::kNotFound) {
    if (++lines > kMaxReportLines) return false;
    const size_t begin = pos + kCrLf.size();
    high = false;
    pos = scan::FindCrLfNotingHigh(piece, begin, high);
    const std::string_view line =
        piece.substr(begin, (pos == scan::kNotFound ? piece.size() : pos) - begin);
    if (scan::StartsWith4(line, "#04#")) {
      exams.Add(piece, begin, ReadExamLine(line, !high));
    } else if (scan::StartsWith4(line, "#05#")) {
      if (!lab) r.Kind.assign("L");
      lab = true;
      const LabFields f = SplitLabLine(line.substr(4), !high);
      if (!f.Accepted()) continue;
      ++lab_values;
      if (f.MarkedOut()) r.OutOfRange = true;
      AppendLabEntry(r.Body, f, layout);
    } else if (!lab) {
      const std::string_view text = TrimBlanks(line);
      if (text.empty()) continue;
      if (!r.Body.empty()) r.Body.append(layout == Layout::Lines ? kCrLf : " ");
      r.Body.append(text);
    }
  }
  return true;
}

}  // namespace

bool ParseReport(std::string_view piece, Layout layout, ReportRecord& record, int* lab_values) {
  ClearParsedFields(record);
  int count = 0;
  bool ok = false;
  try {
    ok = ParsePiece(piece, layout, record, count);
  } catch (...) {  // out of memory, or anything else: the piece is skipped
    ReportTrap("ParseReport");
    ok = false;
  }
  if (!ok) {
    ClearParsedFields(record);
    count = 0;
  }
  if (lab_values != nullptr) *lab_values = count;
  return ok;
}

bool ParseLabLine(std::string_view rest, LabValue& value) {
  const LabFields f = SplitLabLine(rest, IsAscii(rest));
  value.code.assign(f.code);
  value.name.assign(f.name);
  value.value.clear();
  AppendValue(value.value, f);
  value.unit.assign(f.unit);
  value.range.clear();
  AppendRange(value.range, f);
  return f.Accepted();
}

bool IsNomenclatureCode(std::string_view code) {
  // No number begins with a letter (the common case of a code of letters).
  if (!code.empty() && ((code[0] >= 'A' && code[0] <= 'Z') || (code[0] >= 'a' && code[0] <= 'z'))) {
    return false;
  }
  if (CharCount(code) <= 3) return false;
  std::string head;
  for (char c : Left(code, 3)) {
    if (c != '.') head.push_back(c);
  }
  return IsNumeric(head);
}

}  // namespace lirvo::reports
