// The stand-in Clinora's XML object, on pugixml.
//
// Files are read and written through the FileSystem seam. A file may be
// UTF-8 or UTF-16 (with a byte-order mark), or declare encoding="windows-1252"
// or "iso-8859-1"; whitespace-only text between elements is dropped, so an
// element's ChildNodes are its child elements. SaveFile writes UTF-8 with an
// XML declaration, through a temporary file renamed over the target.
#pragma once

#include <memory>
#include <string>

#include "base/file_system.h"
#include "host/host.h"

namespace lirvo::standin {

class PugiXmlDocument final : public host::XmlDocument {
 public:
  explicit PugiXmlDocument(FileSystem& fs);
  ~PugiXmlDocument() override;

  // True when the file was read and parsed and has exactly one root element.
  // A missing, unreadable or malformed file (two root elements, an attribute
  // named twice on an element included) gives false and leaves the document
  // empty.
  bool LoadFileXML(const std::string& path) override;
  // Parses `text` as LoadFileXML parses a file's bytes.
  bool LoadXML(const std::string& text);

  std::shared_ptr<host::XmlNode> RootNode() override;
  // The element nodes the XPath selects from `node`. A null node raises 91,
  // a node of another document implementation 13, a malformed path 5.
  std::vector<std::shared_ptr<host::XmlNode>> SelectNodeList(
      const std::shared_ptr<host::XmlNode>& node, const std::string& path) override;
  std::string GetAttribute(const std::shared_ptr<host::XmlNode>& node,
                           const std::string& name) override;
  // Throws RuntimeError when the target is read-only (70), its folder is
  // missing or the write fails; the existing file is then left as it was.
  void SaveFile(const std::string& path) override;

  // The document as SaveFile writes it.
  std::string ToText() const;

 private:
  struct Impl;
  FileSystem& fs_;
  std::shared_ptr<Impl> impl_;  // shared with the nodes, which keep it alive
};

}  // namespace lirvo::standin
