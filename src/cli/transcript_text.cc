#include "cli/transcript_text.h"

#include <cstddef>
#include <sstream>
#include <string_view>

#include "base/text.h"

namespace lirvo::cli {
namespace {

using Json = nlohmann::ordered_json;

// A member as text: a string as it is, anything else as its JSON, "" when
// missing.
std::string Str(const Json& j, const char* key) {
  if (!j.is_object() || !j.contains(key)) return "";
  const Json& v = j[key];
  return v.is_string() ? v.get<std::string>() : v.dump();
}

// `text` with every line after a line break indented by `indent`; CR LF and
// LF both end a line.
std::string Indented(std::string_view text, std::string_view indent) {
  std::string out(indent);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
    if (text[i] == '\n' && i + 1 < text.size()) out += indent;
  }
  if (out.empty() || out.back() != '\n') out += '\n';
  return out;
}

// One line: the line breaks of a cell shown as " / ".
std::string OneLine(std::string_view text) {
  return Replace(Replace(text, "\r\n", " / "), "\n", " / ");
}

std::string Answer(int answer) {
  switch (answer) {
    case 1:
      return "OK";
    case 2:
      return "Annulla";
    case 6:
      return "Sì";
    case 7:
      return "No";
    default:
      return std::to_string(answer);
  }
}

void GridRow(std::ostream& out, const Json& row, int depth) {
  const Json& items = row["items"];
  auto item = [&](size_t i) { return i < items.size() ? items[i].get<std::string>() : ""; };
  bool flagged = false;
  for (const auto& [index, colour] : row["colors"].items()) flagged = flagged || colour == 255;
  if (depth == 0) {
    out << "  " << item(1) << "  (" << OneLine(item(7)) << ")\n";
  } else {
    out << "    #" << item(2) << "  " << item(4) << "  check-in " << item(5) << "  referto "
        << item(6) << (flagged ? "  [fuori range]" : "") << "\n      " << OneLine(item(7)) << '\n';
  }
  if (row.contains("children")) {
    for (const Json& child : row["children"]) GridRow(out, child, depth + 1);
  }
}

void Modal(std::ostream& out, const Json& e) {
  const std::string form = Str(e, "form");
  if (form == "frmGetBundle") {
    out << "[bundle chooser] folder " << Str(e, "folder") << '\n';
    for (const Json& row : e["rows"]) {
      const Json& items = row["items"];
      out << "    " << items[1].get<std::string>() << "  " << items[2].get<std::string>();
      if (!items[3].get<std::string>().empty()) out << "  " << items[3].get<std::string>();
      out << '\n';
    }
    return;
  }
  out << "[window \"" << Str(e, "caption") << "\"]";
  if (e.contains("labels")) {
    out << " " << Str(e["labels"], "2") << ": " << Str(e["labels"], "3");
  }
  if (e.contains("folder")) out << " folder " << Str(e, "folder");
  out << '\n';
  if (e.contains("text")) out << Indented(Str(e, "text"), "    | ");
}

void Print(std::ostream& out, const Json& e) {
  if (Str(e, "what") == "list") {
    out << "[printed list" << (e.value("landscape", false) ? ", landscape" : "") << "] ";
    const Json& columns = e["columns"];
    for (size_t i = 0; i < columns.size(); ++i) {
      out << (i ? " | " : "") << columns[i].get<std::string>();
    }
    out << '\n';
    for (const Json& row : e["rows"]) {
      out << std::string(4 + 2 * row.value("level", 0), ' ');
      const Json& cells = row["cells"];
      for (size_t i = 0; i < cells.size(); ++i) {
        out << (i ? " | " : "") << OneLine(cells[i].get<std::string>());
      }
      out << '\n';
    }
    return;
  }
  out << "[printed text]\n" << Indented(Str(e, "text"), "    | ");
}

// A saved argument as text: "" for Null.
std::string Arg(const Json& args, size_t i) {
  if (i >= args.size() || args[i].is_null()) return "";
  return args[i].is_string() ? args[i].get<std::string>() : args[i].dump();
}

void Chart(std::ostream& out, const Json& e) {
  out << "[chart of patient " << Str(e, "patient") << "]\n";
  for (const Json& exam : e["exams"]) {
    const Json& a = exam["args"];
    out << "    exam  " << Arg(a, 2) << "  " << Arg(a, 5) << " = " << Arg(a, 7) << ' ' << Arg(a, 8)
        << "  (code " << Arg(a, 23) << ")\n";
  }
  for (const Json& visit : e["visits"]) {
    const Json& a = visit["args"];
    out << "    visit " << Arg(a, 4) << "  " << Arg(a, 3) << '\n';
  }
}

}  // namespace

std::string TranscriptText(const Json& e) {
  std::ostringstream out;
  const std::string type = Str(e, "type");
  try {
    if (type == "msgbox") {
      out << "[message \"" << Str(e, "title") << "\"]\n"
          << Indented(Str(e, "text"), "    | ") << "    -> " << Answer(e.value("answer", 0))
          << '\n';
    } else if (type == "popup") {
      out << "[menu] ";
      const Json& items = e["items"];
      for (size_t i = 0; i < items.size(); ++i)
        out << (i ? " | " : "") << items[i].get<std::string>();
      const int answer = e.value("answer", 0);
      out << "  -> "
          << (answer > 0 && static_cast<size_t>(answer) <= items.size()
                  ? items[answer - 1].get<std::string>()
                  : "dismissed")
          << '\n';
    } else if (type == "browse") {
      out << "[folder browser \"" << Str(e, "title") << "\" at " << Str(e, "start") << "] -> "
          << (e["answer"].is_null() ? "cancelled" : Str(e, "answer")) << '\n';
    } else if (type == "beep") {
      out << "[beep]\n";
    } else if (type == "modal") {
      Modal(out, e);
    } else if (type == "modal_action") {
      out << "    (" << Str(e, "action") << (e.value("ok", false) ? ")" : ": not possible)")
          << '\n';
    } else if (type == "modal_close") {
      out << "    (closed)\n";
    } else if (type == "printer") {
      out << "[printer dialog] -> " << Str(e, "answer") << '\n';
    } else if (type == "print") {
      Print(out, e);
    } else if (type == "print_failed") {
      out << "[print failed]\n";
    } else if (type == "progress") {
      // Only the steps that name a patient: the bar's other moves say nothing
      // more to a reader.
      if (e.value("visible", false) && Contains(Str(e, "text"), "[")) {
        out << "[import] " << Str(e, "text") << '\n';
      }
    } else if (type == "host") {
      out << "[Clinora] " << Str(e, "call");
      if (e.contains("args") && !e["args"].empty()) out << ' ' << e["args"].dump();
      out << '\n';
    } else if (type == "grid") {
      out << "[report list]" << (e.value("open", false) ? "" : " (window not open)") << '\n';
      for (const Json& row : e["rows"]) GridRow(out, row, 0);
    } else if (type == "files") {
      out << "[documents folder " << Str(e, "folder") << "]\n";
      for (const Json& name : e["names"]) out << "    " << name.get<std::string>() << '\n';
    } else if (type == "config") {
      out << "[configuration] documents folder " << Str(e, "documents_folder")
          << "; bundle shown: " << Str(e, "current_bundle") << '\n';
    } else if (type == "ribbon") {
      out << "[ribbon]\n";
      for (const Json& c : e["controls"]) {
        if (Str(c, "tab") != "Referti Lirvo") continue;
        out << "    " << Str(c, "caption") << (c.value("enabled", false) ? "" : " (disabled)")
            << (c.value("visible", false) ? "" : " (hidden)") << '\n';
      }
    } else if (type == "chart") {
      Chart(out, e);
    } else if (type == "trap") {
      out << "[error trapped in " << Str(e, "where") << "] " << Str(e, "number") << " - "
          << Str(e, "description") << '\n';
    } else if (type == "error") {
      out << "[script error, line " << Str(e, "line") << "] " << Str(e, "message") << '\n';
    } else {
      out << e.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    }
  } catch (const nlohmann::json::exception&) {
    // An event of an unexpected shape shows as it is.
    return e.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  }
  return out.str();
}

}  // namespace lirvo::cli
