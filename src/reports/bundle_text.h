// The text of a report bundle as a whole: its line breaks, its cut into
// pieces at "#01#", and the loading of a bundle file from the disk.
//
// A bundle may break its lines with CR LF, a lone LF, a lone CR or the literal
// marker "#acapo#". Normalisation gives the text the result of four literal
// replaces, in this order: CR LF -> "#acapo#", LF -> "#acapo#", CR ->
// "#acapo#", "#acapo#" -> CR LF. NormaliseLineBreaks does it in one pass with
// byte-identical results, corner cases included ("#acapo" right before a break
// becomes CR LF followed by "acapo#").
//
// The normalised text is cut at every "#01#", wherever it stands. Piece 0 is
// the text before the first marker, piece k the text after the k-th marker up
// to the next one; the markers belong to no piece. An empty text has no piece
// at all; any other text has one piece more than it has markers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace lirvo::reports {

inline constexpr std::string_view kRecordMarker = "#01#";
inline constexpr std::string_view kBreakMarker = "#acapo#";

// The text with its line breaks normalised to CR LF. Takes the text by value:
// when nothing changes (a bundle that already uses CR LF and holds no
// "#acapo#"), the same buffer comes back without a copy.
std::string NormaliseLineBreaks(std::string text);

// The number of pieces the cut gives: 0 for an empty text, else the number of
// "#01#" markers plus one.
size_t CountPieces(std::string_view text);

// Walks the pieces of a normalised text in order without copying them. The
// views point into the text, which must outlive the cutter.
//
//   PieceCutter cutter(text);
//   std::string_view piece;
//   while (cutter.Next(piece)) { ... cutter.Index() ... }
class PieceCutter {
 public:
  explicit PieceCutter(std::string_view text) : text_(text), done_(text.empty()) {}

  // Sets `piece` to the next piece; false when every piece has been given.
  bool Next(std::string_view& piece);

  // Index of the piece the last Next gave (0 for piece 0).
  size_t Index() const { return index_ - 1; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t index_ = 0;
  bool done_;
};

// Every piece of the cut, as views into `text`.
std::vector<std::string_view> CutPieces(std::string_view text);

// Reads a bundle file (Windows-1252) through `fs`, decodes it to UTF-8 and
// normalises its line breaks; the result is ready for the cut. Throws the
// file system's RuntimeError when the file cannot be read (53 file not found
// when it does not exist, 75 for a folder ...), so callers can tell a missing
// or unreadable file from an empty one. At most two copies of the text live
// at once: the raw bytes go as soon as they are decoded, and the decoded text
// comes back without a copy when the normalisation changes nothing.
std::string LoadBundleText(FileSystem& fs, const std::string& path);

// A bundle ready for parsing: its normalised text and the cut, held together
// so the pieces (views into the text) cannot outlive it. Neither copied nor
// moved, for the same reason.
//
//   BundleText bundle(fs, path);  // throws like LoadBundleText
//   for (size_t i = 0; i < bundle.Pieces().size(); ++i) ParseReport(bundle.Pieces()[i], ...);
class BundleText {
 public:
  // Reads, decodes, normalises and cuts a bundle file; throws like
  // LoadBundleText.
  BundleText(FileSystem& fs, const std::string& path);

  BundleText(const BundleText&) = delete;
  BundleText& operator=(const BundleText&) = delete;

  const std::string& Text() const { return text_; }
  const std::vector<std::string_view>& Pieces() const { return pieces_; }

 private:
  std::string text_;
  std::vector<std::string_view> pieces_;
};

}  // namespace lirvo::reports
