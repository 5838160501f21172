#include "controls/rtf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "base/cp1252.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/utf8.h"
#include "controls/control.h"

namespace lirvo::controls {
namespace {

constexpr char kHex[] = "0123456789abcdef";
// The largest \fs a word processor takes, in half points.
constexpr int kMaxHalfPoints = 32767;

void AppendHexEscape(std::string& out, unsigned char byte) {
  out += "\\'";
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

void AppendNumber(std::string& out, const char* word, long long value) {
  out += '\\';
  out += word;
  out += std::to_string(value);
}

// \uN takes a signed 16-bit N; "?" is the character a reader that does not
// know \u shows (\uc1).
void AppendUnicodeEscape(std::string& out, char32_t unit) {
  AppendNumber(out, "u", static_cast<int16_t>(static_cast<uint16_t>(unit)));
  out += '?';
}

// `text` as RTF text. In a font name a ";" would end the name, so it goes
// as an escape there; line breaks and tabs become control words only in
// the body.
void AppendEscaped(std::string& out, std::string_view text, bool font_name) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(text, i, cp);
    if (len == 0) {
      out += '?';
      ++i;
      continue;
    }
    i += len;
    if (!font_name && cp == '\r' && i < text.size() && text[i] == '\n') {
      out += "\\par\r\n";
      ++i;
    } else if (!font_name && cp == '\t') {
      out += "\\tab ";
    } else if (cp == '\\' || cp == '{' || cp == '}') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x7f && !(font_name && cp == ';')) {
      out += static_cast<char>(cp);
    } else if (const int byte = CodePointToCp1252(cp); byte >= 0) {
      AppendHexEscape(out, static_cast<unsigned char>(byte));
    } else if (cp > 0xFFFF) {
      const char32_t v = cp - 0x10000;
      AppendUnicodeEscape(out, 0xD800 + (v >> 10));
      AppendUnicodeEscape(out, 0xDC00 + (v & 0x3FF));
    } else {
      AppendUnicodeEscape(out, cp);
    }
  }
}

// The index of `value` in `table`, added when missing.
template <typename T>
size_t IndexIn(std::map<T, size_t>& index, std::vector<T>& table, const T& value) {
  const auto [it, added] = index.emplace(value, table.size());
  if (added) table.push_back(value);
  return it->second;
}

int HalfPoints(float size) {
  if (!(size > 0)) return 1;
  if (size >= kMaxHalfPoints) return kMaxHalfPoints;
  return static_cast<int>(std::clamp(std::lround(double{size} * 2), 1L, long{kMaxHalfPoints}));
}

// ---- Reading ------------------------------------------------------------------------

enum class Dest { kText, kSkip, kFontTable, kColorTable };

struct GroupState {
  int font = -1;  // -1: the default font (\deff)
  int half_points = 24;
  int color = 0;  // index into the colour table; 0 is "auto", black
  bool bold = false;
  int unicode_skip = 1;  // \uc
  Dest dest = Dest::kText;
};

// Destinations whose content is not text of the document.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::array<std::string_view, 34> kWords = {"annotation", "atnauthor",
                                                              "atnid",      "bkmkend",
                                                              "bkmkstart",  "datastore",
                                                              "docvar",     "fldinst",
                                                              "filetbl",    "footer",
                                                              "footerf",    "footerl",
                                                              "footerr",    "footnote",
                                                              "generator",  "header",
                                                              "headerf",    "headerl",
                                                              "headerr",    "info",
                                                              "listtable",  "listoverridetable",
                                                              "nonshppict", "object",
                                                              "objdata",    "pict",
                                                              "pntext",     "pntxta",
                                                              "pntxtb",     "revtbl",
                                                              "rsidtbl",    "stylesheet",
                                                              "themedata",  "xmlnstbl"};
  return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

class RtfReader {
 public:
  explicit RtfReader(std::string_view in) : in_(in) {}

  StyledText Read() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_];
      if (c == '{') {
        ++pos_;
        Push();
      } else if (c == '}') {
        ++pos_;
        if (!Pop()) break;  // the document's group ends
      } else if (c == '\\') {
        ++pos_;
        ControlWord();
      } else {
        ++pos_;
        if (c != '\r' && c != '\n') Byte(static_cast<unsigned char>(c), false);
      }
    }
    if (!stack_.empty()) FlushSurrogate();
    return std::move(out_);
  }

 private:
  GroupState& Top() { return stack_.back(); }

  // A surrogate pair does not reach across a group's brace.
  void Push() {
    FlushSurrogate();
    fallback_left_ = 0;
    if (stack_.size() >= kMaxRtfDepth) {
      ++overflow_;
    } else {
      stack_.push_back(stack_.empty() ? GroupState{} : stack_.back());
    }
  }

  // False once the outermost group has closed.
  bool Pop() {
    if (!stack_.empty()) FlushSurrogate();
    fallback_left_ = 0;
    if (overflow_ > 0) {
      --overflow_;
      return true;
    }
    if (stack_.empty()) return false;
    if (Top().dest == Dest::kFontTable && !font_name_.empty()) EndFontName();
    stack_.pop_back();
    dirty_ = true;
    return !stack_.empty();
  }

  // Takes one character of the \uN fallback; true when it was one.
  bool SkipFallback() {
    if (fallback_left_ == 0) return false;
    --fallback_left_;
    return true;
  }

  // A byte of text: literal, escaped (\'hh, \{) or an unknown code page's.
  void Byte(unsigned char byte, bool escaped) {
    if (stack_.empty() || SkipFallback()) return;
    switch (Top().dest) {
      case Dest::kText:
        if (byte != 0) Emit(Cp1252ToCodePoint(byte));
        break;
      case Dest::kFontTable:
        if (byte == ';' && !escaped) {
          EndFontName();
        } else {
          AppendUtf8(font_name_, Cp1252ToCodePoint(byte));
        }
        break;
      case Dest::kColorTable:
        if (byte == ';') EndColor();
        break;
      case Dest::kSkip:
        break;
    }
  }

  void ControlWord() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      ControlSymbol(c);
      return;
    }
    const size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    bool has_param = false;
    long long param = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      has_param = true;
      param = std::min(param * 10 + (in_[pos_] - '0'), 1'000'000'000LL);
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Word(word, has_param, static_cast<int>(param));
  }

  void ControlSymbol(char c) {
    if (c == '\'') {
      int value = 0;
      for (int k = 0; k < 2; ++k) {
        const int digit = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
        if (digit < 0) return;
        value = value * 16 + digit;
        ++pos_;
      }
      Byte(static_cast<unsigned char>(value), true);
    } else if (c == '\\' || c == '{' || c == '}') {
      Byte(static_cast<unsigned char>(c), true);
    } else if (c == '*') {
      if (!stack_.empty()) Top().dest = Dest::kSkip;
    } else if (c == '~') {
      Special(0xA0);
    } else if (c == '_') {
      Special('-');
    } else if (c == '\r' || c == '\n') {
      Special('\r');
    }
  }

  // A character that a control word or symbol stands for.
  void Special(char32_t cp) {
    if (stack_.empty() || SkipFallback() || Top().dest != Dest::kText) return;
    if (cp == '\r') {
      Emit('\r');
      Emit('\n');
    } else {
      Emit(cp);
    }
  }

  void Word(std::string_view word, bool has_param, int param) {
    if (word == "bin") {
      // Binary data: that many raw bytes follow, whatever they hold.
      const size_t count = has_param && param > 0 ? static_cast<size_t>(param) : 0;
      pos_ += std::min(count, in_.size() - pos_);
      return;
    }
    if (stack_.empty() || SkipFallback()) return;
    GroupState& state = Top();
    if (state.dest == Dest::kSkip) return;
    if (IsSkippedDestination(word)) {
      state.dest = Dest::kSkip;
      return;
    }
    if (word == "fonttbl") {
      state.dest = Dest::kFontTable;
      font_name_.clear();
      return;
    }
    if (word == "colortbl") {
      state.dest = Dest::kColorTable;
      colors_.clear();
      red_ = green_ = blue_ = 0;
      color_given_ = false;
      return;
    }
    if (state.dest == Dest::kFontTable) {
      if (word == "f") {
        font_number_ = param;
        font_name_.clear();
      }
      return;
    }
    if (state.dest == Dest::kColorTable) {
      const int component = std::clamp(param, 0, 255);
      if (word == "red") red_ = component;
      if (word == "green") green_ = component;
      if (word == "blue") blue_ = component;
      color_given_ = color_given_ || word == "red" || word == "green" || word == "blue";
      return;
    }
    TextWord(state, word, has_param, param);
  }

  void TextWord(GroupState& state, std::string_view word, bool has_param, int param) {
    static constexpr std::array<std::pair<std::string_view, char32_t>, 9> kCharacters = {{
        {"tab", '\t'},
        {"cell", '\t'},
        {"emdash", 0x2014},
        {"endash", 0x2013},
        {"bullet", 0x2022},
        {"lquote", 0x2018},
        {"rquote", 0x2019},
        {"ldblquote", 0x201C},
        {"rdblquote", 0x201D},
    }};
    if (word == "par" || word == "line" || word == "page" || word == "sect" || word == "row") {
      Emit('\r');
      Emit('\n');
    } else if (word == "u") {
      // A signed 16-bit unit; anything wider keeps its low 16 bits.
      Unicode(static_cast<char32_t>(static_cast<uint16_t>(param)));
      fallback_left_ = state.unicode_skip;
    } else if (word == "uc") {
      state.unicode_skip = std::clamp(param, 0, 16);
    } else if (word == "plain") {
      state.font = -1;
      state.half_points = 24;
      state.color = 0;
      state.bold = false;
      dirty_ = true;
    } else if (word == "b") {
      state.bold = !has_param || param != 0;
      dirty_ = true;
    } else if (word == "f") {
      state.font = param;
      dirty_ = true;
    } else if (word == "fs") {
      if (param > 0) state.half_points = std::min(param, kMaxHalfPoints);
      dirty_ = true;
    } else if (word == "cf") {
      state.color = param;
      dirty_ = true;
    } else if (word == "deff") {
      default_font_ = param;
      dirty_ = true;
    } else {
      for (const auto& [name, cp] : kCharacters) {
        if (word == name) Emit(cp);
      }
    }
  }

  // A UTF-16 unit of \uN: surrogate pairs become one character, a lone
  // surrogate the replacement character.
  void Unicode(char32_t unit) {
    if (unit >= 0xD800 && unit < 0xDC00) {
      FlushSurrogate();
      high_surrogate_ = unit;
      return;
    }
    if (unit >= 0xDC00 && unit < 0xE000) {
      if (high_surrogate_ != 0) {
        const char32_t cp = 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (unit - 0xDC00);
        high_surrogate_ = 0;
        Emit(cp);
      } else {
        Emit(0xFFFD);
      }
      return;
    }
    if (unit != 0) Emit(unit);
  }

  void FlushSurrogate() {
    if (high_surrogate_ == 0) return;
    high_surrogate_ = 0;
    if (Top().dest == Dest::kText) Emit(0xFFFD);
  }

  void Emit(char32_t cp) {
    if (high_surrogate_ != 0 && (cp < 0xDC00 || cp >= 0xE000)) {
      high_surrogate_ = 0;
      Emit(0xFFFD);
    }
    if (dirty_ || out_.empty()) {
      dirty_ = false;
      TextStyle style = CurrentStyle();
      if (out_.empty() || !(out_.back().style == style)) out_.push_back({"", std::move(style)});
    }
    AppendUtf8(out_.back().text, cp);
  }

  TextStyle CurrentStyle() const {
    const GroupState& state = stack_.back();
    TextStyle style;
    const auto font = fonts_.find(state.font < 0 ? default_font_ : state.font);
    if (font != fonts_.end()) style.font_name = font->second;
    style.size = static_cast<float>(state.half_points) / 2;
    if (state.color >= 0 && static_cast<size_t>(state.color) < colors_.size()) {
      style.color = std::max(colors_[static_cast<size_t>(state.color)], 0);
    }
    style.bold = state.bold;
    return style;
  }

  void EndFontName() {
    fonts_[font_number_] = std::string(Trim(font_name_));
    font_name_.clear();
  }

  void EndColor() {
    colors_.push_back(color_given_ ? Rgb(red_, green_, blue_) : -1);
    red_ = green_ = blue_ = 0;
    color_given_ = false;
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view in_;
  size_t pos_ = 0;
  std::vector<GroupState> stack_;
  size_t overflow_ = 0;  // groups opened beyond kMaxRtfDepth
  int fallback_left_ = 0;
  char32_t high_surrogate_ = 0;

  std::map<int, std::string> fonts_;
  int default_font_ = 0;
  int font_number_ = 0;
  std::string font_name_;
  std::vector<int32_t> colors_;  // -1 for an "auto" entry (no components)
  int red_ = 0, green_ = 0, blue_ = 0;
  bool color_given_ = false;

  StyledText out_;
  bool dirty_ = true;
};

}  // namespace

std::string WriteRtf(const StyledText& text) {
  std::vector<std::string> fonts;
  std::map<std::string, size_t> font_index;
  std::vector<int32_t> colors;
  std::map<int32_t, size_t> color_index;
  for (const StyledRun& run : text) {
    IndexIn(font_index, fonts, run.style.font_name);
    IndexIn(color_index, colors, run.style.color & 0xFFFFFF);
  }
  if (fonts.empty()) fonts.push_back(TextStyle{}.font_name);

  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
  for (size_t i = 0; i < fonts.size(); ++i) {
    out += '{';
    AppendNumber(out, "f", static_cast<long long>(i));
    out += "\\fnil\\fcharset0 ";
    AppendEscaped(out, fonts[i], true);
    out += ";}";
  }
  out += "}{\\colortbl ;";
  for (const int32_t color : colors) {
    AppendNumber(out, "red", color & 0xFF);
    AppendNumber(out, "green", (color >> 8) & 0xFF);
    AppendNumber(out, "blue", (color >> 16) & 0xFF);
    out += ';';
  }
  out += "}\r\n\\pard\\plain";

  // What the reader holds after \plain: font 0, 12 points, auto colour, not
  // bold; each run writes what differs.
  long long font = 0, half_points = 24, color = 0;
  bool bold = false;
  bool delimit = true;  // a control word waits for its delimiter
  for (const StyledRun& run : text) {
    if (run.text.empty()) continue;
    const size_t before = out.size();
    const long long run_font = static_cast<long long>(font_index[run.style.font_name]);
    const long long run_half_points = HalfPoints(run.style.size);
    const long long run_color = static_cast<long long>(color_index[run.style.color & 0xFFFFFF]) + 1;
    if (run_font != font) AppendNumber(out, "f", font = run_font);
    if (run_half_points != half_points) AppendNumber(out, "fs", half_points = run_half_points);
    if (run_color != color) AppendNumber(out, "cf", color = run_color);
    if (run.style.bold != bold) out += (bold = run.style.bold) ? "\\b" : "\\b0";
    if (delimit || out.size() != before) out += ' ';
    delimit = false;
    AppendEscaped(out, run.text, false);
  }
  out += "}\r\n";
  return out;
}

StyledText ReadRtf(std::string_view rtf) {
  size_t start = 0;
  while (start < rtf.size() &&
         (rtf[start] == ' ' || rtf[start] == '\t' || rtf[start] == '\r' || rtf[start] == '\n')) {
    ++start;
  }
  if (rtf.substr(start, 5) != "{\\rtf") {
    throw RuntimeError(kErrInvalidFileFormat,
                       "Formato di file non valido: il testo non è RTF (non comincia con {\\rtf)");
  }
  return RtfReader(rtf.substr(start)).Read();
}

}  // namespace lirvo::controls
