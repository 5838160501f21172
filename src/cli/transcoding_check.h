// What in an installation's transcoding table will surprise the people who
// use it, found by reading the table as the plug-in reads it, and which
// laboratory codes of some bundles it lacks.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace lirvo::cli {

// One entry of the table with something wrong.
struct TableProblem {
  enum class Kind {
    kRepeatedCode,      // its code repeats an earlier entry's, in any letter case
    kTooFewValues,      // fewer than four child elements
    kEmptyCode,         // the code is empty or only white space
    kBlanksAroundCode,  // white space before or after the code
    kEmptyClinoraId,    // Clinora's exam identifier is empty or only white space
  };
  Kind kind;
  size_t entry;              // 1-based, among the "esame" elements under the root
  std::string code{};        // the entry's code as written ("" when it has no child)
  size_t values = 0;         // kTooFewValues: how many child elements it has
  size_t first_entry = 0;    // kRepeatedCode: the earlier entry with that code
  std::string first_code{};  // kRepeatedCode: that entry's code as written
};

// An entry by its number and its code.
struct TableEntryCode {
  size_t entry;
  std::string code;
};

// A laboratory code of the bundles that the table, as the plug-in reads it,
// does not translate.
struct MissingCode {
  std::string code;
  size_t values;  // how many laboratory values of the bundles carry it
  // The first entry whose code is the same but for letter case and white
  // space around it, or that holds this very code after the point where the
  // plug-in stops reading; 0 when there is none.
  size_t similar_entry = 0;
  std::string similar_code{};
};

struct TranscodingCheck {
  std::string path;                        // the table's file
  std::string unreadable;                  // why the plug-in gets no table at all; "" when it loads
  size_t entries = 0;                      // "esame" elements under the root
  size_t read = 0;                         // the entries the plug-in reads before it stops
  size_t stop_entry = 0;                   // the entry that stops the reading, 0 when none does
  int stop_error = 0;                      // what the table raises there: 457 or 91
  std::vector<TableEntryCode> never_read;  // stop_entry and every entry after it
  std::vector<TableProblem> problems;      // by entry, then kind
  std::vector<MissingCode> missing;        // most values first, then by code

  // True when anything above would surprise a user.
  bool FoundSomething() const {
    return !unreadable.empty() || stop_entry != 0 || !problems.empty() || !missing.empty();
  }
};

// Adds the codes of the accepted laboratory values of a bundle's reports
// (normalised text, as LoadBundleText gives it) to `counts`, one per value;
// values without a code are passed over, as the imports pass them over.
void CountLabCodes(std::string_view bundle_text, std::map<std::string, size_t>& counts);

// Checks the table in `plugin_folder` as the plug-in's clsTrascodifica reads
// it through the stand-in's XML object, and the file itself with the same
// XML object for what that reading never gets to. `lab_codes` (code ->
// values) are looked up as the imports look them up. Never throws for what
// the file holds; a table that cannot be read is reported in `unreadable`.
TranscodingCheck CheckTranscodingTable(FileSystem& fs, const std::string& plugin_folder,
                                       const std::map<std::string, size_t>& lab_codes);

}  // namespace lirvo::cli
