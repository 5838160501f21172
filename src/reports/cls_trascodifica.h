// The exam-code transcoding table: the health authority's exam codes mapped
// to Clinora's exam identifiers and descriptions, read from
// TrascodificaLirvo.xml in the plug-in's folder through the host's XML
// object (docs/transcoding.md describes the file).
//
// The file's entries are the "esame" elements under the root, in document
// order, each read by position: the texts of its child nodes 0 to 3 are the
// authority code, the authority description, the host identifier and the
// host description. The entries are keyed by code without regard to case;
// an entry whose code repeats an earlier one in any case, or that has fewer
// than four child nodes, stops the load there with an error (457 or 91):
// the entries before it stay, and the table counts as loaded. An empty code
// is a code like any other: its entry is stored, and a look-up of "" finds
// it.
//
// Look-ups compare codes exactly (case and blanks count) and answer the
// first entry with that code. They do not walk the table: the list keeps an
// index from the exact code to the position of its entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/host.h"

namespace lirvo::reports {

// One entry of the table: four texts with no logic of their own.
class clsItemTrascodifica {
 public:
  const std::string& codice() const { return codice_; }
  void Setcodice(std::string value) { codice_ = std::move(value); }
  const std::string& descrizione() const { return descrizione_; }
  void Setdescrizione(std::string value) { descrizione_ = std::move(value); }
  const std::string& clnID() const { return cln_id_; }
  void SetclnID(std::string value) { cln_id_ = std::move(value); }
  const std::string& clnDescrizione() const { return cln_descrizione_; }
  void SetclnDescrizione(std::string value) { cln_descrizione_ = std::move(value); }

 private:
  std::string codice_;
  std::string descrizione_;
  std::string cln_id_;
  std::string cln_descrizione_;
};

// The loaded entries in file order, keyed by code without regard to case.
// Clients get it read-only, so the exact-code index always matches the
// entries.
class TranscodingList {
 public:
  size_t Count() const { return items_.size(); }
  // The entry at 1-based `position`; 9 when there is none.
  const clsItemTrascodifica& Item(size_t position) const;
  // The entry whose code equals `key` without regard to case, or nullptr.
  const clsItemTrascodifica* FindKey(const std::string& key) const;
  // The first entry whose code equals `code` exactly, or nullptr: what a
  // walk from the first entry finds, without the walk.
  const clsItemTrascodifica* FindExact(const std::string& code) const;

  // Appends `item` under its code; 457 when the code is already a key
  // (compared without case), and the list is then unchanged.
  void Add(clsItemTrascodifica item);

 private:
  // One slot of the exact-code index: part of the code's hash, and the
  // entry's 1-based position (0 for a free slot).
  struct Slot {
    uint32_t tag = 0;
    uint32_t position = 0;
  };
  void IndexExact(size_t position);

  std::vector<clsItemTrascodifica> items_;
  std::unordered_map<std::string, size_t> by_key_;  // UCase(code) -> position
  // Open addressing with linear probing, at most half full: a look-up reads
  // a slot or two and, when the tag matches, one entry.
  std::vector<Slot> slots_;
};

class clsTrascodifica {
 public:
  using XmlFactory = std::function<std::shared_ptr<host::XmlDocument>()>;

  // Reads the table in `plugin_folder` through `host`'s NewXML.
  clsTrascodifica(host::HostApp& host, std::string plugin_folder);
  // Reads the table through XML objects that `new_xml` makes.
  clsTrascodifica(XmlFactory new_xml, std::string plugin_folder);

  // The authority description of `sCodice`; "" when the code is not in the
  // table, the table cannot be loaded, or its load stops with an error.
  std::string DescrizioneEsame(const std::string& sCodice);

  // True when `sCodice` is in the table: `sRetCLNId` and `sRetCLNDs` then
  // hold its host identifier and description. Both are "" when it returns
  // false (the code is missing, the file cannot be loaded, or its load stops
  // with an error).
  bool AllineamentoClinora(const std::string& sCodice, std::string& sRetCLNId,
                           std::string& sRetCLNDs);

  // The table, loading the file on first use; nullptr when the file is
  // missing or is not XML (the next use tries again). A load stopped by an
  // entry throws RuntimeError (457 repeated code, 91 too few child nodes);
  // the entries before it are the table from then on.
  std::shared_ptr<const TranscodingList> Lista();

  // Drops the table: the next use reads the file again. A list that Lista
  // gave stays valid for whoever holds it.
  void Refresh() { list_.reset(); }

  // The file the table is read from.
  const std::string& Path() const { return path_; }

 private:
  // The table, loading it when needed: nullptr when the file does not load.
  const TranscodingList* Loaded();

  XmlFactory new_xml_;
  std::string path_;
  std::shared_ptr<TranscodingList> list_;
};

}  // namespace lirvo::reports
