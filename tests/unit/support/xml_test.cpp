#include "support/xml.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

using namespace tama::support;

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

std::string Repeat(const std::string& s, int n) {
  std::string out;
  out.reserve(s.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Runs fn on a thread with a small stack, so that anything that recursed on
// the depth of a document would overflow it.
void RunOnSmallStack(const std::function<void()>& fn) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, 256 * 1024), 0);
  pthread_t th;
  auto body = [](void* p) -> void* {
    (*static_cast<const std::function<void()>*>(p))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&th, &attr, body, const_cast<std::function<void()>*>(&fn)), 0);
  pthread_join(th, nullptr);
  pthread_attr_destroy(&attr);
}

struct GetCase {
  const char* doc;
  const char* path;
  const char* want;
};

}  // namespace

TEST(Xml, EscapeForTextAndAttributes) {
  const struct {
    const char* in;
    const char* want;
  } cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e'f"},
      {"&amp;", "&amp;amp;"},
      {"\x95\\\x83\x5C", "\x95\\\x83\x5C"},  // Shift-JIS trail bytes stay as they are
  };
  for (const auto& c : cases) EXPECT_EQ(XmlEscape(c.in), c.want) << c.in;
}

TEST(Xml, TextDataGet) {
  const GetCase cases[] = {
      {"<a><b>1</b><b>2</b></a>", "a\\b", "1\r\n2"},
      {"<a><b>1</b><b>2</b></a>", "A\\B", "1\r\n2"},
      {"<?xml version=\"1.0\"?><Root><Item>1</Item><Item>2</Item></Root>", "root\\item", "1\r\n2"},
      {"<a><b>1</b></a><a><b>2</b></a>", "a\\b", "1\r\n2"},
      {"<a><b>1</b></a>", "a\\c", ""},
      {"<a><b>x</b></a>", "a\\b\\", "x"},  // a path as the listing shows it
      {"<a>&lt;&amp;</a>", "a", "&lt;&amp;"},
      {"<a>  x  y \r\n</a>", "a", "x  y"},
      {"<p>a<br>b</p>", "p", "ab"},
      {"hello", "", "hello"},
      {"<a>\x81<b>x</b></a>", "a", "\x81<b>x"},  // the '<' after a lead byte is its second byte
      {"<表><b>x</b></表>", "表\\b", "x"},
      {"<r><ア>1</ア><ヂ>2</ヂ></r>", "r\\ア", "1"},
      {"<r><ａ>1</ａ></r>", "r\\Ａ", ""},  // only A-Z fold here
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlGetText(c.doc, c.path), c.want) << c.doc << " " << c.path;
  }
}

TEST(Xml, ListPaths) {
  const struct {
    const char* doc;
    const char* want;
  } cases[] = {
      {"<a><b>x</b><c/></a>", "a\\b\\\r\na\\c\r\n"},
      {"<?xml version=\"1.0\"?><Root><Item>1</Item><Item>2</Item></Root>", "Root\\Item\\\r\nRoot\\Item\\\r\n"},
      {"", ""},
      {"<a/><b/>", "a\r\nb\r\n"},
      // HTML rules: names lower-cased, void elements take no children.
      {"<P>a<BR>b</P>", "p\\\r\np\\br\r\np\\\r\n"},
      {"<IMG SRC=x><Div><HR><META charset=sjis><span>s</SPAN></div>", "img\r\ndiv\\hr\r\ndiv\\meta\r\ndiv\\span\\\r\n"},
      {"<br /><p/>", "br\r\np\r\n"},
      // XML rules: names as written, a br holds what follows it.
      {"<?xml version=\"1.0\"?><BR><p>t</p></br>", "BR\\p\\\r\n"},
      {"<?xml version=\"1.0\"?><br/><br /><p/>", "br\r\nbr\r\np\r\n"},
      {"<!DOCTYPE html><!-- note --><!--x--><a>x</a>", "a\\\r\n"},
      {"<?xml version=\"1.0\"?><?xml-stylesheet href=\"s\"?><a/>", "?xml-stylesheet?\\a\r\n"},
      {"<a><b></c></b></a>", "a\\b\r\n"},  // a stray closing tag is ignored
      {"<a><b>", "a\\b\r\n"},               // unclosed elements stay open
      {"<a></><>x</a>", "a\\\r\n"},
      {"<表>x</表>", "表\\\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlListPaths(c.doc), c.want) << c.doc;
  }
}

TEST(Xml, AttributeDataGet) {
  const GetCase cases[] = {
      {"<a x=\"1\" y=2/>", "a", "x=1\r\ny=2\r\n"},
      {"<A X=\"1\"/>", "a", "X=1\r\n"},  // attribute names keep their case
      {"<a b =\"1\" c= 2>", "a", "b =1\r\nc=2\r\n"},
      {"<a t=\"x>y z\">z</a>", "a", "t=x>y z\r\n"},
      {"<a t=\"&quot;\"/>", "a", "t=&quot;\r\n"},
      {"<a href=\"表\"><b k=v/></a>", "a\\b", "k=v\r\n"},
      {"<?xml version=\"1.0\"?><a/>", "a", ""},
      {"<?xml version=\"1.0\"?><a/>", "", ""},
      {"<a x=1/>", "b", ""},
      {"<ａ x=\"1\"/>", "Ａ", "x=1\r\n"},  // the locale rule folds full-width letters
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlGetAttributes(c.doc, c.path), c.want) << c.doc << " " << c.path;
  }
}

TEST(Xml, AttributeDataSet) {
  const struct {
    const char* doc;
    const char* path;
    const char* lines;
    std::string want;
  } cases[] = {
      {"<a/>", "a", "x=1\r\nx=2", "<a x=\"2\"/>\r\n\r\n"},
      {"<a/>", "a", "X=1\r\nx=2\r\n", "<a X=\"2\"/>\r\n\r\n"},
      {"<a old=\"0\"/>", "a", "x=1\ny=\rz", "<a x=\"1\" y=\"\" z=\"\"/>\r\n\r\n"},
      {"<a old=\"0\"/>", "a", "", "<a/>\r\n\r\n"},
      {"<a/>", "a", "x=1\r\n\r\ny=2\r\n", "<a x=\"1\" y=\"2\"/>\r\n\r\n"},  // empty lines name nothing
      {"<a/>", "a", "u=a=b", "<a u=\"a=b\"/>\r\n\r\n"},
      {"<a y=\"0\">t</a>", "a\\b", "k=v", "<a y=\"0\">\r\n\tt\r\n\t<b k=\"v\"/>\r\n</a>\r\n\r\n"},
      {"<?xml version=\"1.0\"?><a/>", "A", "x=1", kDecl + "<a x=\"1\"/>\r\n\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlSetAttributes(c.doc, c.path, c.lines), c.want) << c.doc << " " << c.lines;
  }
}

TEST(Xml, TextDataSet) {
  const struct {
    const char* doc;
    const char* path;
    const char* text;
    std::string want;
  } cases[] = {
      {"<a/>", "a\\b", "x", "<a>\r\n\t<b>x</b>\r\n</a>\r\n\r\n"},
      {"<a>old<b/>rest</a>", "a", "new", "<a>\r\n\tnew\r\n\t<b/>\r\n\trest\r\n</a>\r\n\r\n"},
      {"<A/>", "a", "x", "<a>x</a>\r\n"},
      {"<?xml version=\"2.0\"?><r/>", "r", "x", kDecl + "<r>x</r>\r\n"},
      {"", "a", "x", "<a>x</a>\r\n"},
      {"<a/>", "", "t", "<a/>\r\n\r\nt\r\n\r\n"},
      {"<a>&lt;</a>", "b", "&amp;", "<a>&lt;</a>\r\n<b>&amp;</b>\r\n"},
      {"<a x=\"1\"/>", "a\\\\b", "t", "<a x=\"1\">t</a>\r\n"},  // the walk stops at an empty name
      // Line breaks in text become CR LF and nested lines are indented.
      {"", "a", "p\nq", "<a>p\r\nq</a>\r\n"},
      {"<a><b/></a>", "a\\c", "l1\nl2\r", "<a>\r\n\t<b/>\r\n\t<c>l1\r\n\tl2\r\n\t</c>\r\n</a>\r\n\r\n"},
      {"<a><b/>x</a>", "a", "p\r\rq", "<a>\r\n\t<b/>\r\n\tp\r\n\t\r\n\tq\r\n</a>\r\n\r\n"},
      {"<r><a>1</a></r>", "r\\a\\b", "2", "<r>\r\n\t<a>\r\n\t\t1\r\n\t\t<b>2</b>\r\n\t</a>\r\n</r>\r\n\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlSetText(c.doc, c.path, c.text), c.want) << c.doc << " " << c.path;
  }
}

TEST(Xml, Cut) {
  const GetCase cases[] = {
      {"<a><b>x</b><c/></a>", "a\\b", "<b>x</b>"},
      {"<a><b>x</b><c/></a>", "a\\c", "<c/>\r\n"},
      {"<a><b>x</b><c/></a>", "a", "<a>\r\n\t<b>x</b>\r\n\t<c/>\r\n</a>\r\n"},
      {"<a><b>x</b><c/></a>", "",
       "<XMLDocument>\r\n\t<a>\r\n\t\t<b>x</b>\r\n\t\t<c/>\r\n\t</a>\r\n</XMLDocument>\r\n"},
      {"<a><b>x</b><c/></a>", "a\\d", ""},
      {"<a><b>1</b><b>2</b></a>", "a\\b", "<b>1</b>"},
      {"<a k=\"v\" j=w><b/></a>", "a", "<a k=\"v\" j=\"w\">\r\n\t<b/>\r\n</a>\r\n"},
      {"<a><b>x\ry</b><c/></a>", "a", "<a>\r\n\t<b>x\r\n\ty</b>\r\n\t<c/>\r\n</a>\r\n"},
      {"<a><b><c>z</c></b></a>", "a", "<a>\r\n\t<b>\r\n\t\t<c>z</c>\r\n\t</b>\r\n</a>\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlCut(c.doc, c.path), c.want) << c.doc << " " << c.path;
  }
}

TEST(Xml, MalformedInput) {
  const std::string bad_attr = "アトリビュートの読み込みで,不正な文字列\"";
  auto attr = [&](const std::string& name) { return bad_attr + name + "\"があります。"; };
  auto quote = [](const std::string& name) {
    return "アトリビュート \"" + name + "\"の値が\"で終わっていません。";
  };
  const std::string enc = "Shift_JIS以外の文字は処理できません。";
  const struct {
    const char* doc;
    std::string message;
  } cases[] = {
      {"<a b=c d>", attr("d")},
      {"<a b>x</a>", attr("b")},
      {"<a b", attr("b")},
      {"<a h=x/y>", attr("/y")},  // an unquoted value ends at '/'
      {"<a 名前>", attr("名前")},
      {"<p>x</p><a b=c d>", attr("d")},
      {"<a b=\"c>", quote("b")},
      {"<a b =\"c", quote("b ")},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", enc},
      {"<?xml version=\"1.0\" encoding=\"shift_jis\"?>", enc},
      {"<?xml version=\"1.0\" ENCODING=\"EUC-JP\"?>", enc},
      {"</XMLDocument>", "タグが対応していません。<XMLDocument>"},
      {"<a></a></xmldocument>", "タグが対応していません。<xmldocument>"},
  };
  for (const auto& c : cases) {
    try {
      XmlListPaths(c.doc);
      ADD_FAILURE() << "no error for " << c.doc;
    } catch (const EMXmlParser& e) {
      EXPECT_EQ(e.what(), c.message) << c.doc;
    }
  }
}

TEST(Xml, DeclarationAccepted) {
  const struct {
    const char* doc;
    const char* version;
  } cases[] = {
      {"<?xml version=\"1.0\"?>", "1.0"},
      {"  <?XML version=\"1.1\" encoding=\"Shift_JIS\" ?>\r\n<a/>", "1.1"},
      {"<?xml version=2.0?><a/>", "2.0"},
  };
  for (const auto& c : cases) {
    TMXmlDocument doc;
    ASSERT_NO_THROW(doc.SetText(c.doc)) << c.doc;
    EXPECT_FALSE(doc.no_declaration) << c.doc;
    EXPECT_EQ(doc.version, c.version) << c.doc;
    EXPECT_EQ(doc.encoding, "Shift_JIS") << c.doc;
  }
}

TEST(Xml, HtmlTree) {
  TMXmlDocument doc;
  doc.SetText("<P>a<BR>b</P>");
  EXPECT_TRUE(doc.no_declaration);
  TMXmlNode* p = FindPath(doc.DocumentNode(), "p");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name, "p");
  EXPECT_EQ(p->parent, doc.DocumentNode());
  ASSERT_EQ(p->ChildCount(), 3);
  const struct {
    uint8_t type;
    const char* name;
    const char* value;
  } want[] = {{kXmlText, "", "a"}, {kXmlElement, "br", ""}, {kXmlText, "", "b"}};
  for (int i = 0; i < 3; ++i) {
    TMXmlNode* n = p->children->Item(i);
    EXPECT_EQ(n->type, want[i].type) << i;
    EXPECT_EQ(n->name, want[i].name) << i;
    EXPECT_EQ(n->value, want[i].value) << i;
    EXPECT_EQ(n->parent, p) << i;
  }
}

TEST(Xml, NodeListAndPaths) {
  TMXmlNode root(kXmlElement, "r");
  TMXmlNodeList& kids = root.Children();
  EXPECT_EQ(kids.Add(nullptr), nullptr);
  EXPECT_EQ(kids.Count(), 0);
  kids.Add(std::make_unique<TMXmlNode>(kXmlElement, "Alpha"));
  kids.Add(std::make_unique<TMXmlNode>(kXmlElement, "ａｂ"));
  EXPECT_EQ(kids.IndexOf("ALPHA"), 0);
  EXPECT_EQ(kids.IndexOf("ＡＢ"), 1);
  EXPECT_EQ(kids.IndexOf("beta"), -1);
  EXPECT_EQ(kids.Item(2), nullptr);
  EXPECT_EQ(kids.Item(0)->parent, &root);
  EXPECT_EQ(FindPath(&root, "alpha\\x"), nullptr);
  EXPECT_EQ(FindPath(&root, ""), &root);
  root.Clear();
  EXPECT_EQ(root.type, kXmlCleared);
  EXPECT_EQ(root.ChildCount(), 0);

  TMXmlDocument doc;
  doc.SetText("<a><b/></a>");
  TMXmlNode* made = doc.MakePath("A\\c\\d");
  EXPECT_EQ(made, FindPath(doc.DocumentNode(), "a\\c\\d"));
  EXPECT_EQ(doc.MakePath("a\\b"), FindPath(doc.DocumentNode(), "a\\b"));
  EXPECT_EQ(doc.DocumentNode()->children->Item(0)->ChildCount(), 2);
}

TEST(Xml, TextLinesReadBackWithCrLf) {
  TMXmlDocument doc;
  doc.SetText("<a/>\n<b/>\r<c/>");
  EXPECT_EQ(doc.GetText(), "<a/>\r\n<b/>\r\n<c/>\r\n");
  doc.rebuild = true;
  EXPECT_EQ(doc.GetText(), "<a/>\r\n\r\n<b/>\r\n\r\n<c/>\r\n\r\n");
}

TEST(Xml, DeepNestingUsesNoDeepStack) {
  RunOnSmallStack([] {
    const int depth = 100000;
    const std::string closed = Repeat("<a>", depth) + "x" + Repeat("</a>", depth);
    EXPECT_EQ(XmlListPaths(closed), Repeat("a\\", depth) + "\r\n");
    EXPECT_EQ(XmlGetText(closed, Repeat("a\\", depth)), "x");
    EXPECT_EQ(XmlGetAttributes(closed, Repeat("a\\", depth)), "");

    const std::string open = Repeat("<a>", depth);
    EXPECT_EQ(XmlListPaths(open), Repeat("a\\", depth - 1) + "a\r\n");

    // The written text grows with the square of the depth (one tab per level
    // on every line), so it is checked at a smaller depth.
    const int wdepth = 3000;
    std::string want;
    for (int i = 0; i < wdepth - 1; ++i) want += std::string(static_cast<size_t>(i), '\t') + "<a>\r\n";
    want += std::string(wdepth - 1, '\t') + "<a/>\r\n";
    for (int i = wdepth - 2; i >= 0; --i) want += std::string(static_cast<size_t>(i), '\t') + "</a>\r\n";
    EXPECT_EQ(XmlCut(Repeat("<a>", wdepth), "a"), want);
    EXPECT_EQ(XmlSetText("", Repeat("a\\", wdepth - 1) + "a", "t").size(),
              want.size() + 4 + 2);  // "<a/>" becomes "<a>t</a>"; the document adds a line
  });
}
