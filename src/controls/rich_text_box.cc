#include "controls/rich_text_box.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "base/files.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "controls/rtf.h"

namespace lirvo::controls {
namespace {

[[noreturn]] void InvalidValue() {
  throw RuntimeError(kErrInvalidPropertyValue, "Valore di proprietà non valido");
}

int32_t CharsOf(std::string_view text) {
  const size_t count = CharCount(text);
  if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw RuntimeError(kErrOverflow);
  }
  return static_cast<int32_t>(count);
}

}  // namespace

std::string RichTextBox::Text() const {
  size_t bytes = 0;
  for (const StyledRun& run : runs_) bytes += run.text.size();
  std::string text;
  text.reserve(bytes);
  for (const StyledRun& run : runs_) text += run.text;
  return text;
}

void RichTextBox::SetText(const std::string& text) {
  const TextStyle style = runs_.empty() ? TextStyle{} : runs_.front().style;
  SetRuns(text.empty() ? StyledText{} : StyledText{{text, style}});
}

void RichTextBox::SetRuns(const StyledText& runs) {
  StyledText merged;
  std::vector<int32_t> chars;
  int64_t total = 0;
  for (const StyledRun& run : runs) {
    if (run.text.empty()) continue;
    const int32_t count = CharsOf(run.text);
    total += count;
    if (total > std::numeric_limits<int32_t>::max()) throw RuntimeError(kErrOverflow);
    if (!merged.empty() && merged.back().style == run.style) {
      merged.back().text += run.text;
      chars.back() += count;
    } else {
      merged.push_back(run);
      chars.push_back(count);
    }
  }
  runs_ = std::move(merged);
  run_chars_ = std::move(chars);
  total_chars_ = static_cast<int32_t>(total);
  sel_start_ = 0;
  sel_length_ = 0;
  caret_style_.reset();
  Changed();
}

void RichTextBox::SetSelStart(int32_t start) {
  if (start < 0) InvalidValue();
  sel_start_ = std::min(start, total_chars_);
  sel_length_ = 0;
  caret_style_.reset();
  Changed();
}

void RichTextBox::SetSelLength(int32_t length) {
  if (length < 0) InvalidValue();
  sel_length_ = std::min(length, total_chars_ - sel_start_);
  caret_style_.reset();
  Changed();
}

RichTextBox::Place RichTextBox::Locate(int32_t pos) const {
  // From whichever end is nearer: appending and styling what was just
  // appended stay at the end.
  if (pos >= total_chars_ / 2) {
    int32_t start = total_chars_;
    for (size_t i = runs_.size(); i-- > 0;) {
      start -= run_chars_[i];
      if (start <= pos) return {i, pos - start};
    }
    return {0, pos};
  }
  int32_t start = 0;
  for (size_t i = 0; i < runs_.size(); ++i) {
    if (pos < start + run_chars_[i]) return {i, pos - start};
    start += run_chars_[i];
  }
  return {runs_.size(), 0};
}

size_t RichTextBox::SplitAt(int32_t pos) {
  if (pos >= total_chars_) return runs_.size();
  const Place place = Locate(pos);
  if (place.offset == 0) return place.run;
  StyledRun& run = runs_[place.run];
  const size_t cut = ByteOffsetOfChar(run.text, static_cast<size_t>(place.offset));
  StyledRun tail{run.text.substr(cut), run.style};
  run.text.resize(cut);
  const int32_t tail_chars = run_chars_[place.run] - place.offset;
  run_chars_[place.run] = place.offset;
  runs_.insert(runs_.begin() + static_cast<ptrdiff_t>(place.run) + 1, std::move(tail));
  run_chars_.insert(run_chars_.begin() + static_cast<ptrdiff_t>(place.run) + 1, tail_chars);
  return place.run + 1;
}

void RichTextBox::MergeAround(size_t first, size_t last) {
  size_t i = first == 0 ? 0 : first - 1;
  last = std::min(last, runs_.empty() ? 0 : runs_.size() - 1);
  size_t out = i;
  // Compacts runs i..last into place, then closes the gap once.
  for (size_t j = i + 1; j <= last && j < runs_.size(); ++j) {
    if (runs_[out].style == runs_[j].style) {
      runs_[out].text += runs_[j].text;
      run_chars_[out] += run_chars_[j];
    } else if (++out != j) {
      runs_[out] = std::move(runs_[j]);
      run_chars_[out] = run_chars_[j];
    }
  }
  if (runs_.empty() || last <= out) return;
  runs_.erase(runs_.begin() + static_cast<ptrdiff_t>(out) + 1,
              runs_.begin() + static_cast<ptrdiff_t>(last) + 1);
  run_chars_.erase(run_chars_.begin() + static_cast<ptrdiff_t>(out) + 1,
                   run_chars_.begin() + static_cast<ptrdiff_t>(last) + 1);
}

void RichTextBox::InsertRun(int32_t pos, std::string text, TextStyle style) {
  const int32_t count = CharsOf(text);
  if (count == 0) return;
  if (int64_t{total_chars_} + count > std::numeric_limits<int32_t>::max()) {
    throw RuntimeError(kErrOverflow);
  }
  const size_t at = SplitAt(pos);
  if (at > 0 && runs_[at - 1].style == style) {
    // The common case of typing on in the same style: no new run.
    runs_[at - 1].text += text;
    run_chars_[at - 1] += count;
    total_chars_ += count;
    MergeAround(at, at);
    return;
  }
  runs_.insert(runs_.begin() + static_cast<ptrdiff_t>(at), StyledRun{std::move(text), style});
  run_chars_.insert(run_chars_.begin() + static_cast<ptrdiff_t>(at), count);
  total_chars_ += count;
  MergeAround(at, at + 1);
}

void RichTextBox::EraseRange(int32_t start, int32_t length) {
  if (length <= 0) return;
  const size_t first = SplitAt(start);
  const size_t last = SplitAt(start + length);
  runs_.erase(runs_.begin() + static_cast<ptrdiff_t>(first),
              runs_.begin() + static_cast<ptrdiff_t>(last));
  run_chars_.erase(run_chars_.begin() + static_cast<ptrdiff_t>(first),
                   run_chars_.begin() + static_cast<ptrdiff_t>(last));
  total_chars_ -= length;
  MergeAround(first, first);
}

TextStyle RichTextBox::StyleForInsertion() const {
  if (caret_style_) return *caret_style_;
  if (runs_.empty()) return TextStyle{};
  if (sel_length_ > 0 || sel_start_ == 0) return runs_[Locate(sel_start_).run].style;
  return runs_[Locate(sel_start_ - 1).run].style;
}

std::string RichTextBox::SelText() const {
  std::string text;
  for (const StyledRun& run : SelectedRuns()) text += run.text;
  return text;
}

StyledText RichTextBox::SelectedRuns() const {
  StyledText selected;
  if (sel_length_ == 0) return selected;
  Place place = Locate(sel_start_);
  int32_t left = sel_length_;
  for (size_t i = place.run; i < runs_.size() && left > 0; ++i) {
    const StyledRun& run = runs_[i];
    const int32_t offset = i == place.run ? place.offset : 0;
    const int32_t take = std::min(left, run_chars_[i] - offset);
    const size_t from = ByteOffsetOfChar(run.text, static_cast<size_t>(offset));
    const size_t to = take == run_chars_[i] - offset
                          ? run.text.size()
                          : ByteOffsetOfChar(run.text, static_cast<size_t>(offset + take));
    selected.push_back({run.text.substr(from, to - from), run.style});
    left -= take;
  }
  return selected;
}

void RichTextBox::SetSelText(const std::string& text) {
  const TextStyle style = StyleForInsertion();
  EraseRange(sel_start_, sel_length_);
  const int32_t before = total_chars_;
  InsertRun(sel_start_, text, style);
  sel_start_ += total_chars_ - before;
  sel_length_ = 0;
  caret_style_.reset();
  Changed();
}

template <typename Change>
void RichTextBox::ChangeSelStyle(Change change) {
  if (sel_length_ == 0) {
    TextStyle style = StyleForInsertion();
    change(style);
    caret_style_ = style;
    Changed();
    return;
  }
  // A change that changes nothing splits nothing: restyling what was just
  // appended in the style it already has stays cheap however long the run.
  bool changes = false;
  int32_t covered = 0;
  const Place place = Locate(sel_start_);
  for (size_t i = place.run; i < runs_.size() && covered < sel_length_ + place.offset; ++i) {
    TextStyle style = runs_[i].style;
    change(style);
    if (!(style == runs_[i].style)) {
      changes = true;
      break;
    }
    covered += run_chars_[i];
  }
  if (!changes) {
    Changed();
    return;
  }
  const size_t first = SplitAt(sel_start_);
  const size_t last = SplitAt(sel_start_ + sel_length_);
  for (size_t i = first; i < last; ++i) change(runs_[i].style);
  MergeAround(first, last);
  Changed();
}

void RichTextBox::SetSelBold(bool bold) {
  ChangeSelStyle([bold](TextStyle& style) { style.bold = bold; });
}

void RichTextBox::SetSelFontSize(float points) {
  ChangeSelStyle([points](TextStyle& style) { style.size = points; });
}

void RichTextBox::SetSelFontName(const std::string& name) {
  ChangeSelStyle([&name](TextStyle& style) { style.font_name = name; });
}

void RichTextBox::SetSelColor(int32_t color) {
  ChangeSelStyle([color](TextStyle& style) { style.color = color; });
}

std::string RichTextBox::SaveRtf() const { return WriteRtf(runs_); }

void RichTextBox::LoadRtf(std::string_view rtf) { SetRuns(ReadRtf(rtf)); }

void RichTextBox::LoadFile(FileSystem& fs, const std::string& path) { LoadRtf(fs.ReadFile(path)); }

void RichTextBox::SaveFile(FileSystem& fs, const std::string& path) const {
  ReplaceFileContent(fs, path, SaveRtf());
}

void AppendRichText(RichTextBox& box, const std::string& font_name, float size, int32_t color,
                    bool bold, const std::string& text) {
  const int32_t length = box.TextLength();
  box.SetSelStart(length);
  box.SetSelLength(0);
  box.SetSelText(text);
  box.SetSelStart(length);
  box.SetSelLength(box.TextLength() - length);
  box.SetSelBold(bold);
  box.SetSelFontSize(size);
  box.SetSelFontName(font_name);
  box.SetSelColor(color);
}

}  // namespace lirvo::controls
