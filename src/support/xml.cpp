#include "support/xml.h"

#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/lines.h"

#include <unordered_map>

namespace tama::support {

namespace {

bool IsXmlBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool IsControlOrSpace(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view TrimControls(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsControlOrSpace(s[b])) ++b;
  while (e > b && IsControlOrSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// ASCII lower-casing (A-Z only) that leaves the second byte of a double-byte
// character alone.
std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i += sjis::CharLen(out, i)) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

bool AsciiEqualFold(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (size_t i = 0; i < a.size();) {
    size_t n = sjis::CharLen(a, i);
    char c = a[i];
    if (n == 1 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
    if (n == 2 && a[i + 1] != lower[i + 1]) return false;
    i += n;
  }
  return true;
}

// The names of a path. One trailing empty name is dropped, so "a\b\" names
// the same node as "a\b" (the form in which the path listing shows elements
// that hold text); an empty path has no names.
std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> names;
  if (path.empty()) return names;
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += sjis::CharLen(path, i)) {
    if (path[i] == '\\') {
      names.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  names.push_back(path.substr(start));
  if (names.size() > 1 && names.back().empty()) names.pop_back();
  return names;
}

// The first child whose name matches (locale lower-casing).
TMXmlNode* FindChildFolded(const TMXmlNode& node, std::string_view name) {
  if (!node.children) return nullptr;
  return node.children->NodeByName(name);
}

// Writes serialised text. Inside an element that is split into lines
// (depth > 0), and everywhere when `normalize` is set, line breaks (CR, LF,
// CR LF) become CR LF and every line gets one tab per level.
class Writer {
 public:
  Writer(std::string& out, bool normalize) : out_(out), normalize_(normalize) {}

  void Put(std::string_view s) {
    if (depth_ == 0 && !normalize_) {
      out_.append(s);
      if (!s.empty()) at_line_start_ = (s.back() == '\n' || s.back() == '\r');
      return;
    }
    for (char c : s) {
      if (c == '\r') {
        Break();
        after_cr_ = true;
        continue;
      }
      if (c == '\n') {
        if (after_cr_) {
          after_cr_ = false;
          continue;
        }
        Break();
        continue;
      }
      after_cr_ = false;
      if (at_line_start_) Indent();
      out_.push_back(c);
    }
  }
  // Ends the current line unless it has just ended.
  void EndLine() {
    after_cr_ = false;
    if (!at_line_start_) Break();
  }
  void StartPart() { after_cr_ = false; }
  void Enter() { ++depth_; }
  void Leave() { --depth_; }

 private:
  void Indent() {
    out_.append(depth_, '\t');
    at_line_start_ = false;
  }
  void Break() {
    if (at_line_start_) Indent();
    out_.append("\r\n");
    at_line_start_ = true;
  }

  std::string& out_;
  bool normalize_;
  size_t depth_ = 0;
  bool at_line_start_ = true;
  bool after_cr_ = false;
};

void OpenElement(Writer& w, const TMXmlNode& n) {
  w.Put("<");
  w.Put(n.name);
  for (int i = 0; i < n.AttributeCount(); ++i) {
    const TMXmlNode* a = n.attributes->Item(i);
    w.Put(" ");
    w.Put(a->name);
    w.Put("=\"");
    w.Put(a->value);
    w.Put("\"");
  }
}

// Serialises one node and its subtree with an explicit stack.
void Serialize(Writer& w, const TMXmlNode& root) {
  struct Frame {
    const TMXmlNode* node;
    int next;
  };
  std::vector<Frame> stack;
  // Writes a node; returns true when it is an element whose children follow
  // line by line (a frame is then pushed).
  auto begin = [&](const TMXmlNode& n) {
    if (n.type != kXmlElement) {
      w.Put(n.value);
      w.Put("\r\n");
      return false;
    }
    OpenElement(w, n);
    int count = n.ChildCount();
    if (count == 0) {
      w.Put("/>\r\n");
      return false;
    }
    const TMXmlNode* only = n.children->Item(0);
    if (count == 1 && only->type == kXmlText) {
      w.Put(">");
      w.Put(only->value);
      w.Put("</");
      w.Put(n.name);
      w.Put(">");
      return false;
    }
    w.Put(">\r\n");
    w.Enter();
    stack.push_back({&n, 0});
    return true;
  };
  if (!begin(root)) return;
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next < f.node->ChildCount()) {
      const TMXmlNode* child = f.node->children->Item(f.next++);
      w.StartPart();
      if (!begin(*child)) w.EndLine();
      continue;
    }
    const TMXmlNode* done = f.node;
    stack.pop_back();
    w.Leave();
    w.Put("</");
    w.Put(done->name);
    w.Put(">\r\n");
    if (!stack.empty()) w.EndLine();
  }
}

// The text as string-list lines read back: CR, LF and CR LF end a line, and
// every line is followed by CR LF.
std::string NormalizeLines(std::string_view s) { return LinesEndingCrLf(s); }

std::string TextOfChildren(const TMXmlNode& n) {
  std::string s;
  for (int i = 0; i < n.ChildCount(); ++i) {
    const TMXmlNode* c = n.children->Item(i);
    if (c->type == kXmlText) s += c->value;
  }
  return s;
}

}  // namespace

// ---------------------------------------------------------------- lists

void TMXmlNodeList::Destroy(std::vector<std::unique_ptr<TMXmlNode>>& nodes) {
  if (nodes.empty()) return;
  std::vector<std::unique_ptr<TMXmlNode>> work = std::move(nodes);
  nodes.clear();
  while (!work.empty()) {
    std::unique_ptr<TMXmlNode> n = std::move(work.back());
    work.pop_back();
    // Take the node's own nodes over, so that freeing it frees empty lists.
    for (TMXmlNodeList* list : {n->children.get(), n->attributes.get()}) {
      if (!list) continue;
      for (auto& c : list->nodes_) work.push_back(std::move(c));
      list->nodes_.clear();
    }
  }
}

TMXmlNodeList::~TMXmlNodeList() { Destroy(nodes_); }

void TMXmlNodeList::Clear() { Destroy(nodes_); }

TMXmlNode* TMXmlNodeList::Add(std::unique_ptr<TMXmlNode> node) {
  if (!node) return nullptr;
  node->parent = owner_;
  nodes_.push_back(std::move(node));
  return nodes_.back().get();
}

TMXmlNode* TMXmlNodeList::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return nodes_[static_cast<size_t>(index)].get();
}

int TMXmlNodeList::IndexOf(std::string_view name) const {
  std::string want = sjis::ToLower(name);
  for (size_t i = 0; i < nodes_.size(); ++i) {
    if (sjis::ToLower(nodes_[i]->name) == want) return static_cast<int>(i);
  }
  return -1;
}

TMXmlNode* TMXmlNodeList::NodeByName(std::string_view name) const { return Item(IndexOf(name)); }

// ---------------------------------------------------------------- nodes

TMXmlNode::~TMXmlNode() = default;

void TMXmlNode::Clear() {
  children.reset();
  attributes.reset();
  type = kXmlCleared;
  name.clear();
}

TMXmlNodeList& TMXmlNode::Children() {
  if (!children) children = std::make_unique<TMXmlNodeList>(this);
  return *children;
}

TMXmlNodeList& TMXmlNode::Attributes() {
  if (!attributes) attributes = std::make_unique<TMXmlNodeList>(this);
  return *attributes;
}

// ---------------------------------------------------------------- parser

size_t TMXmlParser::CharLen() const { return sjis::CharLen(text_, pos_); }

void TMXmlParser::SkipBlanks() {
  while (!AtEnd() && IsXmlBlank(Peek())) ++pos_;
}

void TMXmlParser::ReadTag(TMXmlNode& node) {
  tag_.clear();
  SkipBlanks();
  if (AtEnd() || Peek() != '<') return;
  ++pos_;
  while (!AtEnd()) {
    char c = Peek();
    if (c == '>') {
      ++pos_;
      break;
    }
    if (c == ' ') {
      if (!tag_.empty() && tag_[0] == '!') {
        while (!AtEnd() && Peek() != '>') pos_ += CharLen();
      } else {
        ReadAttributes(node);
      }
      continue;
    }
    size_t n = CharLen();
    tag_.append(text_, pos_, n);
    pos_ += n;
  }
}

void TMXmlParser::ReadAttributes(TMXmlNode& node) {
  for (;;) {
    SkipBlanks();
    if (AtEnd() || Peek() == '>') return;
    size_t start = pos_;
    while (!AtEnd() && Peek() != '=' && Peek() != '>') pos_ += CharLen();
    std::string name = text_.substr(start, pos_ - start);
    if (AtEnd() || Peek() != '=') {
      if (name == "?" || name == "/") {
        tag_ += name;
        continue;
      }
      throw EMXmlParser("アトリビュートの読み込みで,不正な文字列\"" + name + "\"があります。");
    }
    ++pos_;  // '='
    SkipBlanks();
    std::string value;
    if (!AtEnd() && Peek() == '"') {
      ++pos_;
      size_t vstart = pos_;
      while (!AtEnd() && Peek() != '"') pos_ += CharLen();
      if (AtEnd()) throw EMXmlParser("アトリビュート \"" + name + "\"の値が\"で終わっていません。");
      value = text_.substr(vstart, pos_ - vstart);
      ++pos_;  // closing quote
    } else {
      size_t vstart = pos_;
      while (!AtEnd()) {
        char c = Peek();
        if (c == ' ' || c == '/' || c == '>' || c == '?') break;
        pos_ += CharLen();
      }
      value = text_.substr(vstart, pos_ - vstart);
    }
    node.Attributes().Add(std::make_unique<TMXmlNode>(kXmlAttribute, std::move(name), std::move(value)));
  }
}

void TMXmlParser::HandleTag(std::unique_ptr<TMXmlNode>& scratch, TMXmlNode*& current) {
  if (tag_.empty() || tag_[0] == '!') return;
  if (tag_[0] == '/') {
    std::string_view name = std::string_view(tag_).substr(1);
    if (sjis::ToLower(name) != sjis::ToLower(current->name)) return;
    if (!current->parent) throw EMXmlParser("タグが対応していません。<" + std::string(name) + ">");
    current = current->parent;
    return;
  }
  bool becomes_current = true;
  if (doc_.no_declaration) {
    tag_ = sjis::ToLower(tag_);
    if (tag_ == "br" || tag_ == "hr" || tag_ == "meta" || tag_ == "img") becomes_current = false;
  }
  if (becomes_current && tag_.back() == '/') {
    tag_.pop_back();
    becomes_current = false;
  }
  scratch->type = kXmlElement;
  scratch->name = tag_;
  TMXmlNode* added = current->Children().Add(std::move(scratch));
  scratch = std::make_unique<TMXmlNode>();
  if (becomes_current) current = added;
}

void TMXmlParser::ParseXml() {
  pos_ = 0;
  doc_.version = "1.0";
  doc_.encoding = "Shift_JIS";
  doc_.no_declaration = false;
  doc_.document_ = std::make_unique<TMXmlNode>(kXmlElement, "XMLDocument");

  // The declaration.
  SkipBlanks();
  size_t tag_start = pos_;
  {
    TMXmlNode decl;
    ReadTag(decl);
    if (sjis::ToLower(tag_) != "?xml?") {
      doc_.no_declaration = true;
      pos_ = tag_start;
    } else if (decl.attributes) {
      if (TMXmlNode* v = decl.attributes->NodeByName("version")) doc_.version = v->value;
      if (TMXmlNode* e = decl.attributes->NodeByName("encoding")) doc_.encoding = e->value;
      if (doc_.encoding != "Shift_JIS") throw EMXmlParser("Shift_JIS以外の文字は処理できません。");
    }
  }

  TMXmlNode* current = doc_.document_.get();
  auto scratch = std::make_unique<TMXmlNode>();
  SkipBlanks();
  while (!AtEnd()) {
    if (Peek() == '<') {
      if (scratch->attributes) scratch->attributes->Clear();
      ReadTag(*scratch);
      HandleTag(scratch, current);
    } else {
      size_t start = pos_;
      while (!AtEnd() && Peek() != '<') pos_ += CharLen();
      std::string_view text = TrimControls(std::string_view(text_).substr(start, pos_ - start));
      current->Children().Add(std::make_unique<TMXmlNode>(kXmlText, std::string(), std::string(text)));
    }
    SkipBlanks();
  }
}

// ---------------------------------------------------------------- document

TMXmlDocument::TMXmlDocument() : document_(std::make_unique<TMXmlNode>(kXmlElement, "XMLDocument")) {}

void TMXmlDocument::SetText(std::string_view text) {
  text_.assign(text);
  TMXmlParser parser(*this, text);
  parser.ParseXml();
}

void TMXmlDocument::SerializeXml() {
  std::string out;
  Writer w(out, true);
  if (!no_declaration) w.Put("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n");
  for (int i = 0; i < document_->ChildCount(); ++i) {
    w.StartPart();
    Serialize(w, *document_->children->Item(i));
    w.Put("\r\n");
  }
  text_ = std::move(out);
}

std::string TMXmlDocument::GetText() {
  if (rebuild) {
    SerializeXml();
    return text_;  // already in lines, each followed by CR LF
  }
  return NormalizeLines(text_);
}

TMXmlNode* TMXmlDocument::MakePath(std::string_view path) {
  TMXmlNode* node = document_.get();
  for (std::string_view name : SplitPath(path)) {
    if (name.empty()) break;
    TMXmlNode* next = FindChildFolded(*node, name);
    if (!next) next = node->Children().Add(std::make_unique<TMXmlNode>(kXmlElement, std::string(name)));
    node = next;
  }
  return node;
}

std::string TMXmlDocument::ListPaths() const {
  std::string out;
  std::string prefix;
  struct Frame {
    const TMXmlNode* node;
    int next;
    size_t prefix_len;  // the prefix length before this node's name was added
  };
  std::vector<Frame> stack;
  // The document node's children are walked with an empty prefix.
  stack.push_back({document_.get(), 0, 0});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next >= f.node->ChildCount()) {
      prefix.resize(f.prefix_len);
      stack.pop_back();
      continue;
    }
    const TMXmlNode* child = f.node->children->Item(f.next++);
    if (child->ChildCount() > 0) {
      size_t len = prefix.size();
      prefix += child->name;
      prefix += '\\';
      stack.push_back({child, 0, len});
    } else {
      out += prefix;
      out += child->name;
      out += "\r\n";
    }
  }
  return out;
}

// ---------------------------------------------------------------- lookups

TMXmlNode* FindPath(TMXmlNode* node, std::string_view path) {
  for (std::string_view name : SplitPath(path)) {
    if (!node) return nullptr;
    node = FindChildFolded(*node, name);
  }
  return node;
}

std::vector<TMXmlNode*> FindAll(const TMXmlDocument& doc, std::string_view path) {
  std::vector<TMXmlNode*> found;
  std::string full = doc.DocumentNode()->name + "\\";
  full.append(path);
  std::vector<std::string> names;
  for (std::string_view n : SplitPath(full)) names.push_back(AsciiLower(n));
  struct Item {
    TMXmlNode* node;
    size_t step;
  };
  std::vector<Item> stack{{doc.DocumentNode(), 0}};
  while (!stack.empty()) {
    Item it = stack.back();
    stack.pop_back();
    if (!AsciiEqualFold(it.node->name, names[it.step])) continue;
    if (it.step + 1 == names.size()) {
      found.push_back(it.node);
      continue;
    }
    for (int i = it.node->ChildCount() - 1; i >= 0; --i) stack.push_back({it.node->children->Item(i), it.step + 1});
  }
  return found;
}

std::string SerializeNode(const TMXmlNode& node) {
  std::string out;
  Writer w(out, false);
  Serialize(w, node);
  return out;
}

// ---------------------------------------------------------------- commands

std::string XmlGetText(const std::string& document, const std::string& path) {
  TMXmlDocument doc;
  doc.SetText(document);
  std::string out;
  for (const TMXmlNode* n : FindAll(doc, path)) {
    out += TextOfChildren(*n);
    out += "\r\n";
  }
  return std::string(TrimControls(out));
}

std::string XmlSetText(const std::string& document, const std::string& path, const std::string& text) {
  TMXmlDocument doc;
  doc.SetText(document);
  TMXmlNode* e = doc.MakePath(path);
  TMXmlNode* first_text = nullptr;
  for (int i = 0; i < e->ChildCount() && !first_text; ++i) {
    if (e->children->Item(i)->type == kXmlText) first_text = e->children->Item(i);
  }
  if (first_text) {
    first_text->value = text;
  } else {
    e->Children().Add(std::make_unique<TMXmlNode>(kXmlText, std::string(), text));
  }
  doc.rebuild = true;
  return doc.GetText();
}

std::string XmlGetAttributes(const std::string& document, const std::string& path) {
  TMXmlDocument doc;
  doc.SetText(document);
  const TMXmlNode* e = FindPath(doc.DocumentNode(), path);
  std::string out;
  if (!e) return out;
  for (int i = 0; i < e->AttributeCount(); ++i) {
    const TMXmlNode* a = e->attributes->Item(i);
    out += a->name;
    out += '=';
    out += a->value;
    out += "\r\n";
  }
  return out;
}

std::string XmlSetAttributes(const std::string& document, const std::string& path, const std::string& lines) {
  TMXmlDocument doc;
  doc.SetText(document);
  TMXmlNode* e = doc.MakePath(path);
  TMXmlNodeList& attrs = e->Attributes();
  attrs.Clear();
  std::unordered_map<std::string, TMXmlNode*> by_name;  // lower-cased name -> attribute
  ForEachLine(lines, [&](std::string_view line) {
    // An empty line names no attribute.
    if (line.empty()) return;
    size_t eq = line.find('=');
    std::string_view name = line.substr(0, eq);
    std::string_view value = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    TMXmlNode*& slot = by_name[sjis::ToLower(name)];
    if (slot) {
      slot->value.assign(value);
    } else {
      slot = attrs.Add(std::make_unique<TMXmlNode>(kXmlAttribute, std::string(name), std::string(value)));
    }
  });
  doc.rebuild = true;
  return doc.GetText();
}

std::string XmlCut(const std::string& document, const std::string& path) {
  TMXmlDocument doc;
  doc.SetText(document);
  const TMXmlNode* n = FindPath(doc.DocumentNode(), path);
  if (!n) return std::string();
  return SerializeNode(*n);
}

std::string XmlListPaths(const std::string& document) {
  TMXmlDocument doc;
  doc.SetText(document);
  return doc.ListPaths();
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c; break;
    }
  }
  return out;
}

}  // namespace tama::support
