// Styled text as RTF, the byte form of the rich-text files (the processing
// summaries).
//
// WriteRtf writes 7-bit RTF that a word processor opens with its fonts (a
// font table), sizes (\fs in half points: a size is rounded to the nearest
// half point), colours (a colour table) and bold intact. Characters outside
// ASCII are \'hh in Windows-1252, anything Windows-1252 cannot hold is \uN?
// (a pair of them beyond U+FFFF); CR LF is \par, a tab \tab, a lone CR or LF
// \'0d or \'0a.
//
// ReadRtf reads that back to the same runs (merged, sizes in half points),
// and of an RTF written by another program keeps the text and those four
// properties and ignores the rest: the destinations it does not show (\*,
// font and colour tables once read, style sheet, document information,
// pictures, headers and footers, objects) are skipped; \par, \line, \page,
// \sect and \row are CR LF, \tab and \cell a tab; \'hh is read as
// Windows-1252 (the only code page it knows; \ansicpg is not consulted);
// \uN skips the \ucN characters that follow it; \plain, \b, \cfN, \fN, \fsN
// and \deffN set the style; groups keep their own state. Text without \fs
// is 12 points, without \cf black, without a font the box's default font.
//
// Bad input: text that does not start with "{\rtf" (after blanks or line
// breaks) raises RuntimeError kErrInvalidFileFormat. Truncated RTF gives what
// was read; groups nested deeper than kMaxRtfDepth share the state of the
// deepest kept one; time and memory are linear in the input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "controls/styled_text.h"

namespace lirvo::controls {

// The runtime's "invalid file format".
inline constexpr int kErrInvalidFileFormat = 321;

inline constexpr size_t kMaxRtfDepth = 200;

std::string WriteRtf(const StyledText& text);

StyledText ReadRtf(std::string_view rtf);

}  // namespace lirvo::controls
