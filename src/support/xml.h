// A compact XML (and loose HTML) tree with a forgiving one-pass parser and a
// writer. The parser knows elements, attributes and text, skips comments and
// declarations, decodes no entities and reads only Shift-JIS documents; a
// text without an XML declaration is read by the HTML rules (tag names
// lower-cased, br/hr/meta/img never take children).
//
// Paths are names separated by "\" and are relative to the document node.
// Nothing here recurses on the depth of a document: parsing, searching,
// writing and freeing all keep their own stacks.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

// A parse error; the message is the one shown to the user.
class EMXmlParser : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Node types.
enum : uint8_t {
  kXmlCleared = 0,
  kXmlElement = 1,
  kXmlAttribute = 2,
  kXmlText = 3,
};

class TMXmlNode;

// An ordered list that owns its nodes. A node added to a list gets the list's
// owner as its parent.
class TMXmlNodeList {
 public:
  explicit TMXmlNodeList(TMXmlNode* owner = nullptr) : owner_(owner) {}
  TMXmlNodeList(const TMXmlNodeList&) = delete;
  TMXmlNodeList& operator=(const TMXmlNodeList&) = delete;
  virtual ~TMXmlNodeList();

  // Frees every node (and everything below them).
  virtual void Clear();
  // Appends the node and returns it; a missing node is not added (nullptr).
  TMXmlNode* Add(std::unique_ptr<TMXmlNode> node);
  int Count() const { return static_cast<int>(nodes_.size()); }
  TMXmlNode* Item(int index) const;
  // Index of the first node whose name equals the given name, both
  // lower-cased by the locale rule (ASCII, full-width Latin, Greek,
  // Cyrillic); -1 when none.
  int IndexOf(std::string_view name) const;
  TMXmlNode* NodeByName(std::string_view name) const;

 private:
  // Frees the nodes and everything below them without recursing on the depth.
  static void Destroy(std::vector<std::unique_ptr<TMXmlNode>>& nodes);

  TMXmlNode* owner_;
  std::vector<std::unique_ptr<TMXmlNode>> nodes_;
};

class TMXmlNode {
 public:
  TMXmlNode() = default;
  TMXmlNode(uint8_t type, std::string name, std::string value = {})
      : type(type), name(std::move(name)), value(std::move(value)) {}
  TMXmlNode(const TMXmlNode&) = delete;
  TMXmlNode& operator=(const TMXmlNode&) = delete;
  virtual ~TMXmlNode();

  // Frees both lists, sets the type to 0 and empties the name.
  virtual void Clear();

  // The lists, created on first use.
  TMXmlNodeList& Children();
  TMXmlNodeList& Attributes();
  int ChildCount() const { return children ? children->Count() : 0; }
  int AttributeCount() const { return attributes ? attributes->Count() : 0; }

  TMXmlNode* parent = nullptr;  // the node whose list holds this one
  uint8_t type = kXmlCleared;
  std::string name;   // element or attribute name; empty for text
  std::string value;  // attribute value or text
  std::unique_ptr<TMXmlNodeList> children;
  std::unique_ptr<TMXmlNodeList> attributes;
};

class TMXmlDocument {
 public:
  TMXmlDocument();

  // Replaces the text and parses it into a new tree (throws EMXmlParser).
  void SetText(std::string_view text);
  // The text, every line followed by CR LF; when the rebuild flag is set the
  // tree is first written out again (SerializeXml).
  std::string GetText();
  // Writes the tree out as the document text.
  void SerializeXml();
  // The element at the path, creating the missing elements on the way; the
  // walk stops at the first empty name.
  TMXmlNode* MakePath(std::string_view path);
  // Every leaf's path, one a line (CR LF).
  std::string ListPaths() const;

  TMXmlNode* DocumentNode() const { return document_.get(); }

  bool rebuild = false;
  std::string version = "1.0";
  std::string encoding = "Shift_JIS";
  bool no_declaration = false;  // set by the parser; selects the HTML rules

 private:
  friend class TMXmlParser;
  std::string text_;  // the document text as given or as last written
  std::unique_ptr<TMXmlNode> document_;
};

// The one-pass parser: the document, a private copy of its text and a cursor.
class TMXmlParser {
 public:
  TMXmlParser(TMXmlDocument& doc, std::string_view text) : doc_(doc), text_(text) {}
  // Builds the document's tree from the text (throws EMXmlParser).
  void ParseXml();

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }
  size_t CharLen() const;
  void SkipBlanks();
  // Reads one tag into tag_ (its text) and node's attribute list.
  void ReadTag(TMXmlNode& node);
  void ReadAttributes(TMXmlNode& node);
  void HandleTag(std::unique_ptr<TMXmlNode>& scratch, TMXmlNode*& current);

  TMXmlDocument& doc_;
  std::string text_;
  size_t pos_ = 0;
  std::string tag_;
};

// The node at the path below the node: at each step the first child whose
// name matches (locale lower-casing); the node itself for an empty path;
// nullptr when a step fails.
TMXmlNode* FindPath(TMXmlNode* node, std::string_view path);
// Every node reached by the path "XMLDocument\" + path from the document
// node, trying all children at each step (names compared after ASCII
// lower-casing), in document order.
std::vector<TMXmlNode*> FindAll(const TMXmlDocument& doc, std::string_view path);
// The serialisation of one node and everything below it.
std::string SerializeNode(const TMXmlNode& node);
// The text with &, <, > and " escaped, for element text and attribute values
// (byte by byte: none of these bytes is ever part of a Shift-JIS or UTF-8
// character).
std::string XmlEscape(std::string_view text);

// The six commands. Each parses its document afresh; the setting commands
// return the whole document as written out again.
// XMLテキストデータ取得: the text of every element at the path, one a line, trimmed.
std::string XmlGetText(const std::string& document, const std::string& path);
// XMLテキストデータ設定: the element at the path (made when missing) gets the text.
std::string XmlSetText(const std::string& document, const std::string& path, const std::string& text);
// XML属性データ取得: the attributes of the element at the path, "name=value" lines.
std::string XmlGetAttributes(const std::string& document, const std::string& path);
// XML属性データ設定: the element at the path gets exactly the attributes of the lines.
std::string XmlSetAttributes(const std::string& document, const std::string& path, const std::string& lines);
// XML切り出し: the element at the path written out alone; empty when not found.
std::string XmlCut(const std::string& document, const std::string& path);
// XMLパス形式で取得: the paths of the document's leaves.
std::string XmlListPaths(const std::string& document);

}  // namespace tama::support
