#include "reports/bundle_text.h"

#include <cstring>
#include <utility>

#include "base/cp1252.h"
#include "reports/scan.h"

namespace lirvo::reports {
namespace {

// The bytes that can start a change: the two break characters and the "#"
// of a "#acapo#".
inline size_t FindSpecial(std::string_view text, size_t pos) {
  return scan::FindBreakOrHash(text, pos);
}

// Where the text first differs from its normalised form, or npos when the
// normalisation changes nothing. Without any "#acapo" in the text, a CR LF
// pair always comes out as CR LF, so only a lone CR, a lone LF or an "#acapo"
// can make a difference; the returned offset is that of the byte that starts
// it, where the matching of "#acapo#" can restart from scratch.
size_t FirstChange(std::string_view text) {
  if (text.empty()) return std::string_view::npos;
  const char c = text[0];
  if ((c == '\r' && !(text.size() > 1 && text[1] == '\n')) || c == '\n' ||
      (c == '#' && scan::AcapoPrefixAt(text, 0))) {
    return 0;
  }
  const size_t at = scan::FindLoneBreakOrAcapo(text, 1);
  return at == text.size() ? std::string_view::npos : at;
}

}  // namespace

std::string NormaliseLineBreaks(std::string text) {
  const size_t start = FirstChange(text);
  if (start == std::string_view::npos) return text;

  // The literal replaces first turn every break (CR LF, then lone LF, then
  // lone CR) into "#acapo#" and then every "#acapo#", left to right, into
  // CR LF. Here the first step is virtual: `matched` counts how many
  // characters of "#acapo#" end the virtual text so far, and a break stands
  // for its seven characters. From any state but 6 a break completes a match
  // of its own; after "#acapo" its "#" completes the pending match instead
  // and its "acapo#" remains, leaving "#" pending.
  static constexpr std::string_view kPattern = kBreakMarker;
  const std::string_view in = text;
  const size_t n = in.size();
  std::string out;
  out.reserve(2 * n + 16);  // a lone break doubles; never more
  out.append(in.data(), start);
  size_t matched = 0;
  size_t pos = start;
  while (pos < n) {
    if (matched == 0) {
      const size_t next = FindSpecial(in, pos);
      out.append(in.data() + pos, next - pos);
      pos = next;
      if (pos >= n) break;
    }
    const char c = in[pos];
    if (c == '\r' || c == '\n') {
      pos += (c == '\r' && pos + 1 < n && in[pos + 1] == '\n') ? 2 : 1;
      if (matched == 6) {
        out.resize(out.size() - 6);
        out.append("\r\nacapo#");
        matched = 1;
      } else {
        out.append("\r\n");
        matched = 0;
      }
      continue;
    }
    out.push_back(c);
    ++pos;
    if (c == kPattern[matched]) {
      if (++matched == kPattern.size()) {
        out.resize(out.size() - kPattern.size());
        out.append("\r\n");
        matched = 0;
      }
    } else {
      matched = c == '#' ? 1 : 0;
    }
  }
  return out;
}

size_t CountPieces(std::string_view text) {
  if (text.empty()) return 0;
  size_t count = 1;
  size_t pos = 0;
  while ((pos = scan::FindShort(text, pos, "#01#")) != scan::kNotFound) {
    ++count;
    pos += kRecordMarker.size();
  }
  return count;
}

bool PieceCutter::Next(std::string_view& piece) {
  if (done_) return false;
  const size_t marker = scan::FindShort(text_, pos_, "#01#");
  if (marker == scan::kNotFound) {
    piece = text_.substr(pos_);
    done_ = true;
  } else {
    piece = text_.substr(pos_, marker - pos_);
    pos_ = marker + kRecordMarker.size();
  }
  ++index_;
  return true;
}

std::vector<std::string_view> CutPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  PieceCutter cutter(text);
  std::string_view piece;
  while (cutter.Next(piece)) pieces.push_back(piece);
  return pieces;
}

std::string LoadBundleText(FileSystem& fs, const std::string& path) {
  std::string text;
  {
    const std::string raw = fs.ReadFile(path);
    text = Cp1252ToUtf8(raw);
  }  // the raw bytes go before the normalisation may need a second buffer
  return NormaliseLineBreaks(std::move(text));
}

BundleText::BundleText(FileSystem& fs, const std::string& path)
    : text_(LoadBundleText(fs, path)), pieces_(CutPieces(text_)) {}

}  // namespace lirvo::reports
