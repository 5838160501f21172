// The transcoding loader from the bytes of a file: the stand-in XML object
// reads TrascodificaLirvo.xml, the table loads (or stops at an entry with
// 457 or 91), and every look-up answers as a walk from the first entry.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "base/product.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"
#include "reports/cls_trascodifica.h"
#include "standin/xml_document.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// One plug-in folder for the whole run, removed at its end.
class Folder {
 public:
  Folder() {
    path_ = (std::filesystem::temp_directory_path() / "lirvo-fuzz-trascodifica-XXXXXX").string();
    Check(::mkdtemp(path_.data()) != nullptr);
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Both look-ups of `code` against the first entry of `list` with that code.
void CheckLookup(lirvo::reports::clsTrascodifica& table,
                 const lirvo::reports::TranscodingList& list, const std::string& code) {
  const lirvo::reports::clsItemTrascodifica* first = nullptr;
  for (size_t i = 1; i <= list.Count() && first == nullptr; ++i) {
    if (list.Item(i).codice() == code) first = &list.Item(i);
  }
  std::string id = "x", ds = "x";
  const bool found = table.AllineamentoClinora(code, id, ds);
  Check(found == (first != nullptr));
  Check(id == (first ? first->clnID() : ""));
  Check(ds == (first ? first->clnDescrizione() : ""));
  Check(table.DescrizioneEsame(code) == (first ? first->descrizione() : ""));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The look-ups trap only the runtime's own errors.
  static lirvo::ScopedTrapSink quiet([](const lirvo::Trap& trap) { Check(trap.runtime_error); });
  static const Folder folder;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  lirvo::RealFileSystem().WriteFile(lirvo::JoinPath(folder.path(), lirvo::kTranscodingFileName),
                                    bytes);

  lirvo::reports::clsTrascodifica table(
      [] { return std::make_shared<lirvo::standin::PugiXmlDocument>(lirvo::RealFileSystem()); },
      folder.path());
  bool loaded = true;
  try {
    loaded = table.Lista() != nullptr;
  } catch (const lirvo::RuntimeError& e) {
    Check(e.Number() == 457 || e.Number() == 91);
  }
  const auto list = table.Lista();
  Check((list != nullptr) == loaded);
  if (list == nullptr) {
    std::string id, ds;
    Check(!table.AllineamentoClinora("", id, ds) && id.empty() && ds.empty());
    return 0;
  }
  for (size_t i = 1; i <= list->Count(); ++i) {
    const std::string& code = list->Item(i).codice();
    Check(list->FindKey(code) == &list->Item(i));
    CheckLookup(table, *list, code);
    CheckLookup(table, *list, lirvo::UCase(code));
    CheckLookup(table, *list, code + " ");
  }
  CheckLookup(table, *list, "");
  return 0;
}
