#include "cli/transcoding_check.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "base/file_error.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "reports/bundle_parser.h"
#include "reports/bundle_text.h"
#include "reports/cls_trascodifica.h"
#include "standin/xml_document.h"

namespace lirvo::cli {
namespace {

// What the check needs of one "esame" element.
struct Entry {
  size_t values = 0;  // child elements
  std::string code;
  std::string clinora_id;
};

// `s` without the white space (blanks, tabs, line breaks) around it: what a
// person does not see in the file.
std::string_view TrimWhite(std::string_view s) {
  constexpr std::string_view kWhite = " \t\r\n";
  const size_t first = s.find_first_not_of(kWhite);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kWhite) - first + 1);
}

std::string LooseKey(std::string_view code) { return UCase(TrimWhite(code)); }

// Why a table that does not load cannot be used.
std::string WhyUnreadable(FileSystem& fs, const std::string& path) {
  std::string bytes;
  try {
    bytes = fs.ReadFile(path);
  } catch (const FileError& e) {
    return e.Explanation();
  } catch (const RuntimeError& e) {
    return e.Description();
  }
  if (TrimWhite(bytes).empty()) return "the file is empty";
  return "not well-formed XML with one root element";
}

// Every entry of the file: those the plug-in read as the plug-in's table
// holds them, the rest (from where its reading stopped) from the XML object.
std::vector<Entry> ReadEntries(FileSystem& fs, const std::string& path,
                               const reports::TranscodingList& list) {
  std::vector<Entry> entries;
  standin::PugiXmlDocument xml(fs);
  if (!xml.LoadFileXML(path)) return entries;
  for (const auto& node : xml.SelectNodeList(xml.RootNode(), "esame")) {
    const auto children = node->ChildNodes();
    Entry& entry = entries.emplace_back();
    entry.values = children.size();
    if (entries.size() <= list.Count()) {
      const reports::clsItemTrascodifica& item = list.Item(entries.size());
      entry.code = item.codice();
      entry.clinora_id = item.clnID();
    } else {
      if (!children.empty()) entry.code = children[0]->Text();
      if (children.size() > 2) entry.clinora_id = children[2]->Text();
    }
  }
  return entries;
}

std::vector<TableProblem> FindProblems(const std::vector<Entry>& entries) {
  using Kind = TableProblem::Kind;
  std::vector<TableProblem> problems;
  std::unordered_map<std::string, size_t> first_by_key;  // as the table keys codes
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const size_t n = i + 1;
    if (e.values > 0) {
      const auto [first, added] = first_by_key.emplace(UCase(e.code), n);
      if (!added) {
        problems.push_back({.kind = Kind::kRepeatedCode,
                            .entry = n,
                            .code = e.code,
                            .first_entry = first->second,
                            .first_code = entries[first->second - 1].code});
      }
    }
    if (e.values < 4) {
      problems.push_back(
          {.kind = Kind::kTooFewValues, .entry = n, .code = e.code, .values = e.values});
    }
    if (e.values > 0) {
      const std::string_view trimmed = TrimWhite(e.code);
      if (trimmed.empty()) {
        problems.push_back({.kind = Kind::kEmptyCode, .entry = n, .code = e.code});
      } else if (trimmed.size() != e.code.size()) {
        problems.push_back({.kind = Kind::kBlanksAroundCode, .entry = n, .code = e.code});
      }
    }
    if (e.values > 2 && TrimWhite(e.clinora_id).empty()) {
      problems.push_back({.kind = Kind::kEmptyClinoraId, .entry = n, .code = e.code});
    }
  }
  return problems;
}

// The codes the plug-in's table does not translate (all of them when there
// is no table), most values first.
std::vector<MissingCode> FindMissing(const reports::TranscodingList* list,
                                     const std::vector<Entry>& entries,
                                     const std::map<std::string, size_t>& lab_codes) {
  std::unordered_map<std::string, size_t> loose;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].values > 0) loose.emplace(LooseKey(entries[i].code), i + 1);
  }
  std::vector<MissingCode> missing;
  for (const auto& [code, values] : lab_codes) {
    if (list != nullptr && list->FindExact(code) != nullptr) continue;
    MissingCode& m = missing.emplace_back(MissingCode{code, values});
    if (const auto it = loose.find(LooseKey(code)); it != loose.end()) {
      m.similar_entry = it->second;
      m.similar_code = entries[it->second - 1].code;
    }
  }
  std::stable_sort(missing.begin(), missing.end(),
                   [](const MissingCode& a, const MissingCode& b) { return a.values > b.values; });
  return missing;
}

}  // namespace

void CountLabCodes(std::string_view bundle_text, std::map<std::string, size_t>& counts) {
  reports::PieceCutter cutter(bundle_text);
  std::string_view piece;
  reports::ReportRecord record;
  reports::LabValue value;
  while (cutter.Next(piece)) {
    if (!reports::ParseReport(piece, reports::Layout::Lines, record) || record.Kind != "L") {
      continue;
    }
    const std::vector<std::string_view> lines = Split(piece, "\r\n");
    for (size_t i = 1; i < lines.size(); ++i) {
      if (!lines[i].starts_with("#05#")) continue;
      if (reports::ParseLabLine(lines[i].substr(4), value) && !value.code.empty()) {
        ++counts[value.code];
      }
    }
  }
}

TranscodingCheck CheckTranscodingTable(FileSystem& fs, const std::string& plugin_folder,
                                       const std::map<std::string, size_t>& lab_codes) {
  reports::clsTrascodifica table(
      [&fs]() -> std::shared_ptr<host::XmlDocument> {
        return std::make_shared<standin::PugiXmlDocument>(fs);
      },
      plugin_folder);
  TranscodingCheck check;
  check.path = table.Path();
  std::shared_ptr<const reports::TranscodingList> list;
  try {
    list = table.Lista();
  } catch (const RuntimeError& e) {
    // The entry that stopped the reading; the table keeps those before it.
    check.stop_error = e.Number();
    list = table.Lista();
  }
  if (list == nullptr) {
    check.unreadable = WhyUnreadable(fs, check.path);
    check.missing = FindMissing(nullptr, {}, lab_codes);
    return check;
  }
  const std::vector<Entry> entries = ReadEntries(fs, check.path, *list);
  check.entries = entries.size();
  check.read = list->Count();
  if (check.stop_error != 0) {
    check.stop_entry = check.read + 1;
    for (size_t i = check.read; i < entries.size(); ++i) {
      check.never_read.push_back({i + 1, entries[i].code});
    }
  }
  check.problems = FindProblems(entries);
  check.missing = FindMissing(list.get(), entries, lab_codes);
  return check;
}

}  // namespace lirvo::cli
