#include "standin/xml_document.h"

#include <sys/stat.h>

#include <algorithm>
#include <pugixml.hpp>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/cp1252.h"
#include "base/files.h"
#include "base/runtime_error.h"
#include "base/text.h"
#include "base/trap.h"

namespace lirvo::standin {

struct PugiXmlDocument::Impl {
  pugi::xml_document doc;
};

namespace {

// Single-byte encodings a file may declare; read through the Windows-1252
// table, which agrees with Latin-1 on every printable character.
bool DeclaresSingleByte(std::string_view bytes) {
  if (!bytes.starts_with("<?xml")) return false;
  const auto end = bytes.find("?>");
  if (end == std::string_view::npos) return false;
  const std::string decl = LCase(bytes.substr(0, end));
  const auto at = decl.find("encoding");
  if (at == std::string::npos) return false;
  const auto quote = decl.find_first_of("\"'", at);
  if (quote == std::string::npos) return false;
  const auto close = decl.find(decl[quote], quote + 1);
  if (close == std::string::npos) return false;
  const std::string name = decl.substr(quote + 1, close - quote - 1);
  return name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" || name == "latin1" ||
         name == "iso-8859-15";
}

// An element or attribute of a loaded document.
class PugiXmlNode final : public host::XmlNode {
 public:
  PugiXmlNode(std::shared_ptr<void> owner, pugi::xml_node node)
      : owner_(std::move(owner)), node_(node) {}
  PugiXmlNode(std::shared_ptr<void> owner, pugi::xml_attribute attr)
      : owner_(std::move(owner)), attr_(attr) {}

  std::string NodeName() const override { return attr_ ? attr_.name() : node_.name(); }

  std::string Text() const override {
    if (attr_) return attr_.value();
    std::string text;
    AppendText(node_, text);
    return text;
  }

  void SetText(const std::string& text) override {
    if (attr_) {
      attr_.set_value(text.c_str());
      return;
    }
    while (node_.first_child()) node_.remove_child(node_.first_child());
    if (!text.empty()) node_.append_child(pugi::node_pcdata).set_value(text.c_str());
  }

  std::shared_ptr<host::XmlNode> GetNamedItem(const std::string& name) override {
    if (attr_) return nullptr;
    pugi::xml_attribute a = node_.attribute(name.c_str());
    if (!a) return nullptr;
    return std::make_shared<PugiXmlNode>(owner_, a);
  }

  std::vector<std::shared_ptr<host::XmlNode>> ChildNodes() override {
    std::vector<std::shared_ptr<host::XmlNode>> out;
    if (attr_) return out;
    for (pugi::xml_node c : node_.children()) {
      if (c.type() == pugi::node_element) out.push_back(std::make_shared<PugiXmlNode>(owner_, c));
    }
    return out;
  }

  // All text below `n`, in document order (no recursion: any depth of
  // nesting is safe).
  static void AppendText(const pugi::xml_node& n, std::string& text) {
    std::vector<pugi::xml_node> pending;
    for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling()) pending.push_back(c);
    while (!pending.empty()) {
      const pugi::xml_node c = pending.back();
      pending.pop_back();
      if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) text += c.value();
      if (c.type() != pugi::node_element) continue;
      for (pugi::xml_node k = c.last_child(); k; k = k.previous_sibling()) pending.push_back(k);
    }
  }

  const pugi::xml_node& Node() const { return node_; }
  bool IsAttribute() const { return static_cast<bool>(attr_); }
  const std::shared_ptr<void>& Owner() const { return owner_; }

 private:
  std::shared_ptr<void> owner_;  // keeps the document alive
  pugi::xml_node node_;
  pugi::xml_attribute attr_;
};

const PugiXmlNode& OwnNode(const std::shared_ptr<host::XmlNode>& node) {
  if (!node) throw RuntimeError(kErrObjectNotSet);
  auto* own = dynamic_cast<const PugiXmlNode*>(node.get());
  if (own == nullptr) throw RuntimeError(kErrTypeMismatch);
  return *own;
}

// What the parser lets through but a well-formed document may not have: a
// second root element, an attribute named twice on one element.
bool WellFormedBeyondParser(const pugi::xml_document& doc) {
  int roots = 0;
  for (pugi::xml_node c : doc.children()) roots += c.type() == pugi::node_element;
  if (roots != 1) return false;
  std::vector<pugi::xml_node> pending = {doc.document_element()};
  std::vector<std::string_view> names;
  while (!pending.empty()) {
    const pugi::xml_node n = pending.back();
    pending.pop_back();
    names.clear();
    for (pugi::xml_attribute a : n.attributes()) names.emplace_back(a.name());
    std::sort(names.begin(), names.end());
    if (std::adjacent_find(names.begin(), names.end()) != names.end()) return false;
    for (pugi::xml_node c : n.children()) {
      if (c.type() == pugi::node_element) pending.push_back(c);
    }
  }
  return true;
}

class StringWriter final : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
  std::string text;
};

}  // namespace

PugiXmlDocument::PugiXmlDocument(FileSystem& fs) : fs_(fs), impl_(std::make_shared<Impl>()) {}

PugiXmlDocument::~PugiXmlDocument() = default;

bool PugiXmlDocument::LoadFileXML(const std::string& path) {
  std::string bytes;
  try {
    if (!fs_.FileExists(path)) {
      impl_ = std::make_shared<Impl>();
      return false;
    }
    bytes = fs_.ReadFile(path);
  } catch (...) {
    ReportTrap("XmlDocument.LoadFileXML");
    impl_ = std::make_shared<Impl>();
    return false;
  }
  return LoadXML(bytes);
}

bool PugiXmlDocument::LoadXML(const std::string& text) {
  // Nodes handed out earlier keep the document they came from.
  impl_ = std::make_shared<Impl>();
  try {
    pugi::xml_parse_result result;
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_declaration;
    if (DeclaresSingleByte(text)) {
      const std::string utf8 = Cp1252ToUtf8(text);
      result = impl_->doc.load_buffer(utf8.data(), utf8.size(), kOptions, pugi::encoding_utf8);
    } else {
      result = impl_->doc.load_buffer(text.data(), text.size(), kOptions);
    }
    if (result && impl_->doc.document_element() && WellFormedBeyondParser(impl_->doc)) return true;
  } catch (...) {
    // Out of memory on a huge file: not loaded, like any other bad file.
    ReportTrap("XmlDocument.LoadXML");
  }
  impl_ = std::make_shared<Impl>();
  return false;
}

std::shared_ptr<host::XmlNode> PugiXmlDocument::RootNode() {
  pugi::xml_node root = impl_->doc.document_element();
  if (!root) return nullptr;
  return std::make_shared<PugiXmlNode>(impl_, root);
}

std::vector<std::shared_ptr<host::XmlNode>> PugiXmlDocument::SelectNodeList(
    const std::shared_ptr<host::XmlNode>& node, const std::string& path) {
  const PugiXmlNode& own = OwnNode(node);
  std::vector<std::shared_ptr<host::XmlNode>> out;
  if (own.IsAttribute()) return out;
  pugi::xpath_node_set set;
  try {
    set = own.Node().select_nodes(path.c_str());
  } catch (const pugi::xpath_exception&) {
    throw RuntimeError(kErrInvalidCall);
  }
  for (const pugi::xpath_node& x : set) {
    if (x.node() && x.node().type() == pugi::node_element) {
      out.push_back(std::make_shared<PugiXmlNode>(own.Owner(), x.node()));
    }
  }
  return out;
}

std::string PugiXmlDocument::GetAttribute(const std::shared_ptr<host::XmlNode>& node,
                                          const std::string& name) {
  const PugiXmlNode& own = OwnNode(node);
  if (own.IsAttribute()) return "";
  return own.Node().attribute(name.c_str()).value();
}

std::string PugiXmlDocument::ToText() const {
  // Always UTF-8 with a declaration that says so.
  pugi::xml_node decl = impl_->doc.first_child();
  if (decl.type() != pugi::node_declaration) {
    decl = impl_->doc.prepend_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
  }
  if (!decl.attribute("encoding")) decl.append_attribute("encoding");
  decl.attribute("encoding") = "UTF-8";
  StringWriter writer;
  impl_->doc.save(writer, "  ", pugi::format_default, pugi::encoding_utf8);
  return writer.text;
}

void PugiXmlDocument::SaveFile(const std::string& path) {
  // Like the read-only attribute on the host's platform: a file without any
  // write permission bit is not replaced, whoever runs the program.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    throw RuntimeError(kErrPermissionDenied);
  }
  const std::string folder(FolderOf(path));
  if (!folder.empty() && !fs_.DirectoryExists(folder)) throw RuntimeError(kErrPathNotFound);
  ReplaceFileContent(fs_, path, ToText());
}

}  // namespace lirvo::standin
