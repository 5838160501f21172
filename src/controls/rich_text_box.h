// A rich-text box: its text as styled runs (font name, size, colour, bold),
// a caret and a selection, and the selection's style setters. The detail
// window shows one; the processing summaries are written into one and saved
// as RTF (controls/rtf.h).
//
// Positions and lengths count characters (UTF-8 code points; CR and LF are
// one character each; a malformed byte counts as one), from 0 at the start
// of the text. The runs are kept merged: no run is empty and no two
// neighbours share a style.
//
// Appending at the end costs time in proportion to the appended text, not to
// the text already there, so a document built from thousands of runs costs
// linear time; edits elsewhere cost time in proportion to the number of runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "controls/control.h"
#include "controls/styled_text.h"

namespace lirvo::controls {

class RichTextBox : public Control {
 public:
  using Control::Control;

  // The whole plain text, line breaks (CR LF) kept.
  std::string Text() const;
  // Replaces the whole text by `text` in one run of the style of the first
  // character (the default style when the box is empty); "" clears the box.
  // The caret goes to the start, nothing selected.
  void SetText(const std::string& text);
  // The number of characters of the whole text.
  int32_t TextLength() const { return total_chars_; }

  // The caret (start of the selection) and the selection's length. A
  // negative value raises RuntimeError kErrInvalidPropertyValue and changes
  // nothing; beyond the text they are cut to it. Moving the caret empties
  // the selection.
  int32_t SelStart() const { return sel_start_; }
  void SetSelStart(int32_t start);
  int32_t SelLength() const { return sel_length_; }
  void SetSelLength(int32_t length);

  // The selected text.
  std::string SelText() const;
  // Replaces the selection by `text`, which takes the style of the first
  // selected character, or with nothing selected that of the character
  // before the caret (the first character at the start; the style last set
  // on the empty selection, if any, comes first). The caret ends after the
  // inserted text, nothing selected.
  void SetSelText(const std::string& text);

  // The style of the selection's characters. With nothing selected they set
  // the style the next insertion at the caret takes.
  void SetSelBold(bool bold);
  void SetSelFontSize(float points);
  void SetSelFontName(const std::string& name);
  void SetSelColor(int32_t color);

  const StyledText& Runs() const { return runs_; }
  // The runs of the selection, cut at its ends; empty when nothing is
  // selected.
  StyledText SelectedRuns() const;
  // Replaces the whole content by `runs` (merged as the box keeps them); the
  // caret goes to the start, nothing selected.
  void SetRuns(const StyledText& runs);

  // The content as RTF (controls/rtf.h), and back. LoadRtf throws what
  // ReadRtf throws and then leaves the box as it was.
  std::string SaveRtf() const;
  void LoadRtf(std::string_view rtf);
  // The same on a file: LoadFile throws the file system's RuntimeError (53
  // for a missing file) or ReadRtf's; SaveFile replaces the file atomically
  // (a temporary file renamed over it) and throws on failure, the old file
  // left as it was.
  void LoadFile(FileSystem& fs, const std::string& path);
  void SaveFile(FileSystem& fs, const std::string& path) const;

 private:
  // Where character `pos` lies: the run and the character offset inside it.
  struct Place {
    size_t run;
    int32_t offset;
  };
  Place Locate(int32_t pos) const;
  // Splits the runs so that one starts at `pos`; its index (runs_.size()
  // at the end).
  size_t SplitAt(int32_t pos);
  // Merges neighbours of equal style among runs first-1 .. last.
  void MergeAround(size_t first, size_t last);
  void InsertRun(int32_t pos, std::string text, TextStyle style);
  void EraseRange(int32_t start, int32_t length);
  TextStyle StyleForInsertion() const;
  template <typename Change>
  void ChangeSelStyle(Change change);

  StyledText runs_;
  std::vector<int32_t> run_chars_;  // characters of each run
  int32_t total_chars_ = 0;
  int32_t sel_start_ = 0;
  int32_t sel_length_ = 0;
  std::optional<TextStyle> caret_style_;  // set on an empty selection
};

// Appends `text` at the end of `box` in the given style and leaves it
// selected: the caret goes to the end L with nothing selected, the text is
// inserted there, selected (start L, its length) and given bold, size, font
// name and colour.
void AppendRichText(RichTextBox& box, const std::string& font_name, float size, int32_t color,
                    bool bold, const std::string& text);

}  // namespace lirvo::controls
