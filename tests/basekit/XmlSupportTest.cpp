#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Saves `xml`, reads the text back into a fresh document and returns an iterator on its
// document element.
NodeListIterator reloaded(XmlSupport const& xml, XmlSupport& copy) {
    std::stringstream stream;
    EXPECT_TRUE(xml.save_all(stream));
    EXPECT_TRUE(copy.readXml(stream)) << stream.str();
    return NodeListIterator({copy.documentElement()});
}

std::string attributeText(XmlNode node, char const* name) {
    PovaString value;
    EXPECT_TRUE(node.getAttribute(name, value)) << name;
    return value.string();
}

TEST(XmlSupportValues, EveryWrittenValueReadsBackEqual) {
    XmlSupport xml;
    ASSERT_TRUE(xml.createDocument());
    XmlNode const element = xml.createElement("Values");

    std::vector<PovaString> const texts = {
        PovaString(""),
        PovaString("<a href=\"x\">&amp; 'quoted' & more</a>"),
        PovaString(u"caf\u00e9 \u65e5\u672c \U0001F600"),
        PovaString("tab\there\nnew line\r\nCRLF  two spaces "),
        PovaString("\x01 control"),
    };
    std::vector<LONG> const longs = {0, -1, 42, std::numeric_limits<LONG>::min(),
                                     std::numeric_limits<LONG>::max()};
    std::vector<double> const doubles = {0.0,
                                         -0.0,
                                         0.1,
                                         1.0 / 3.0,
                                         1e-300,
                                         5e-324,
                                         1e300,
                                         12.0,
                                         -2.5,
                                         123456789.123456789,
                                         1.7976931348623157e308,
                                         std::numeric_limits<double>::min()};
    std::vector<float> const floats = {
        0.0f,  -0.0f,  0.1f,          1.0f / 3.0f,
        12.0f, 1e-45f, 3.4028235e38f, std::numeric_limits<float>::min()};

    for (std::size_t i = 0; i < texts.size(); ++i) {
        XmlSupport::write_to(element, PovaString::build("T%zu", i), texts[i]);
    }
    for (std::size_t i = 0; i < longs.size(); ++i) {
        XmlSupport::write_to(element, PovaString::build("L%zu", i), longs[i]);
    }
    for (std::size_t i = 0; i < doubles.size(); ++i) {
        XmlSupport::write_to(element, PovaString::build("D%zu", i), doubles[i]);
    }
    for (std::size_t i = 0; i < floats.size(); ++i) {
        XmlSupport::write_to(element, PovaString::build("F%zu", i), floats[i]);
    }
    XmlSupport::write_to(element, "True", true);
    XmlSupport::write_to(element, "False", false);

    XmlSupport copy;
    NodeListIterator const it = reloaded(xml, copy);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        PovaString value;
        ASSERT_TRUE(it.read(PovaString::build("T%zu", i), value));
        EXPECT_EQ(value, texts[i]) << i;
    }
    for (std::size_t i = 0; i < longs.size(); ++i) {
        LONG value = 7;
        ASSERT_TRUE(it.read(PovaString::build("L%zu", i), value));
        EXPECT_EQ(value, longs[i]);
    }
    for (std::size_t i = 0; i < doubles.size(); ++i) {
        double value = 7;
        ASSERT_TRUE(it.read(PovaString::build("D%zu", i), value));
        EXPECT_EQ(std::memcmp(&value, &doubles[i], sizeof value), 0) << doubles[i];
    }
    for (std::size_t i = 0; i < floats.size(); ++i) {
        float value = 7;
        ASSERT_TRUE(it.read(PovaString::build("F%zu", i), value));
        EXPECT_EQ(std::memcmp(&value, &floats[i], sizeof value), 0) << floats[i];
    }
    bool yes = false;
    bool no = true;
    EXPECT_TRUE(it.read("True", yes));
    EXPECT_TRUE(it.read("False", no));
    EXPECT_TRUE(yes);
    EXPECT_FALSE(no);
}

TEST(XmlSupportValues, NumbersAreWrittenInTheirShortestForm) {
    XmlSupport xml;
    XmlNode const e = xml.createElement("E");
    XmlSupport::write_to(e, "D", 12.0);
    XmlSupport::write_to(e, "Tenth", 0.1);
    XmlSupport::write_to(e, "F", 12.0f);
    XmlSupport::write_to(e, "FTenth", 0.1f);
    XmlSupport::write_to(e, "L", LONG{-17});
    XmlSupport::write_to(e, "B", true);
    XmlSupport::write_to(e, "Literal", "text");  // must not pick the bool overload
    XmlSupport::write_to(e, "Inf", -std::numeric_limits<double>::infinity());
    EXPECT_EQ(attributeText(e, "D"), "12");
    EXPECT_EQ(attributeText(e, "Tenth"), "0.1");
    EXPECT_EQ(attributeText(e, "F"), "12");
    EXPECT_EQ(attributeText(e, "FTenth"), "0.1");
    EXPECT_EQ(attributeText(e, "L"), "-17");
    EXPECT_EQ(attributeText(e, "B"), "true");
    EXPECT_EQ(attributeText(e, "Literal"), "text");
    double inf = 0;
    EXPECT_TRUE(NodeListIterator({e}).read("Inf", inf));
    EXPECT_TRUE(std::isinf(inf) && inf < 0);
}

TEST(XmlSupportValues, ReadRefusesWhatDoesNotConvertAndLeavesTheValue) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(PovaString(
        "<E big='2147483648' small='-2147483649' junk='12abc' frac='1.5' padded=' 42 ' plus='+7'"
        " comma='1,5' huge='1e400' fhuge='1e300' empty='' T='TRUE' one='1' minus='-1' zero='0'"
        " yes='yes'/>")));
    NodeListIterator const it(xml.getNodeList("E"));

    LONG l = 5;
    EXPECT_FALSE(it.read("big", l));
    EXPECT_FALSE(it.read("small", l));
    EXPECT_FALSE(it.read("junk", l));
    EXPECT_FALSE(it.read("frac", l));
    EXPECT_FALSE(it.read("empty", l));
    EXPECT_FALSE(it.read("absent", l));
    EXPECT_EQ(l, 5);
    EXPECT_TRUE(it.read("padded", l));
    EXPECT_EQ(l, 42);
    EXPECT_TRUE(it.read("plus", l));
    EXPECT_EQ(l, 7);

    double d = 5;
    EXPECT_FALSE(it.read("comma", d));
    EXPECT_FALSE(it.read("huge", d));
    EXPECT_FALSE(it.read("junk", d));
    EXPECT_EQ(d, 5);
    EXPECT_TRUE(it.read("frac", d));
    EXPECT_EQ(d, 1.5);
    float f = 5;
    EXPECT_FALSE(it.read("fhuge", f));
    EXPECT_EQ(f, 5);

    bool b = false;
    EXPECT_TRUE(it.read("T", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(it.read("zero", b));
    EXPECT_FALSE(b);
    EXPECT_TRUE(it.read("minus", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(it.read("one", b));
    EXPECT_FALSE(it.read("yes", b));
    EXPECT_FALSE(it.read("absent", b));
    EXPECT_TRUE(b);
}

TEST(XmlSupportValues, AttributesAsVariants) {
    XmlSupport xml;
    XmlNode const e = xml.createElement("E");
    XmlSupport::write_to(e, "Name", PovaString(u"\u00e9t\u00e9"));
    NodeListIterator const it({e});

    basekit::Variant value;
    EXPECT_TRUE(it.get_attribute("Name", value.get()));
    ASSERT_EQ(value.type(), VT_BSTR);
    EXPECT_EQ(PovaString(value->bstrVal), PovaString(u"\u00e9t\u00e9"));
    // A held BSTR is released before the variant is reused (the leak checker watches).
    EXPECT_FALSE(e.getAttribute("Missing", value.get()));
    EXPECT_EQ(value.type(), VT_EMPTY);
    EXPECT_TRUE(e.getAttribute("Name", value.get()));
    EXPECT_EQ(value.type(), VT_BSTR);

    NodeListIterator end;
    EXPECT_FALSE(end.get_attribute("Name", value.get()));
    EXPECT_EQ(value.type(), VT_EMPTY);
}

TEST(XmlSupportParse, MalformedTextLeavesAnEmptyUnloadedDocument) {
    std::vector<std::string> const inputs = {
        "",
        "   \n",
        "garbage",
        "<a>",
        "<a><b></a>",
        "<a></b>",
        "<a>x</a",
        "<a/><b/>",
        "text<a/>",
        "<a/>tail",
        "<a x=1/>",
        "<a x='1' x='2'/>",
        "<a x='<'/>",
        "<a>&unknown;</a>",
        "<a>AT&T</a>",
        "<a>&#0;</a>",
        "<a>&#xD800;</a>",
        "<a>]]></a>",
        "<a><!-- bad -- comment --></a>",
        "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>",
        " <?xml version='1.0'?><a/>",
        "<a/><?xml version='1.0'?>",
        "<?xml version='x.0'?><a/>",
        "<?xml encoding='UTF-8'?><a/>",
        "<?xml version='1.0' standalone='maybe'?><a/>",
        "<a>\x01</a>",
        std::string("<a>\0</a>", 8),
        "<1a/>",
    };
    for (std::string const& input : inputs) {
        XmlSupport xml;
        ASSERT_TRUE(xml.readXml(PovaString("<previous><content/></previous>")));
        EXPECT_FALSE(xml.readXml(PovaString(input))) << input;
        EXPECT_FALSE(xml.loaded()) << input;
        EXPECT_FALSE(xml.documentElement()) << input;
        EXPECT_TRUE(xml.getNodeList("*").empty()) << input;

        std::istringstream stream(input);
        XmlSupport fromStream;
        EXPECT_FALSE(fromStream.readXml(stream)) << input;
        EXPECT_FALSE(fromStream.loaded());
        EXPECT_FALSE(fromStream.documentElement());
    }

    // Bytes that are not UTF-8 can only arrive through a stream.
    for (char const* bytes : {"<a>\xC3\x28</a>", "<a>\xED\xA0\x80</a>", "<a v='\xFF'/>"}) {
        std::istringstream stream(bytes);
        XmlSupport fromStream;
        EXPECT_FALSE(fromStream.readXml(stream)) << bytes;
    }

    XmlSupport xml;
    PovaString const loneSurrogate(std::u16string(u"<a>") + char16_t(0xD800) + u"</a>");
    EXPECT_FALSE(xml.readXml(loneSurrogate));
    std::istringstream failed("<a/>");
    failed.setstate(std::ios::badbit);
    EXPECT_FALSE(xml.readXml(failed));
    EXPECT_FALSE(xml.loaded());
}

TEST(XmlSupportParse, EveryStrictPrefixOfADocumentIsRefused) {
    std::string const text =
        "<?xml version='1.0'?><R a='1&amp;2'><!--c--><b>t&#x41;<![CDATA[x]]></b><c/></R>";
    XmlSupport xml;
    for (std::size_t n = 0; n < text.size(); ++n) {
        EXPECT_FALSE(xml.readXml(PovaString(text.substr(0, n)))) << n;
        EXPECT_FALSE(xml.documentElement()) << n;
    }
    EXPECT_TRUE(xml.readXml(PovaString(text)));
}

TEST(XmlSupportParse, WellFormedDocumentsAndEncodings) {
    XmlSupport xml;
    ASSERT_TRUE(
        xml.readXml(PovaString("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone='yes'?>\n<!-- "
                               "c --><a x=\"&lt;&amp;&#65;&#x42;\">"
                               "t&gt;&apos;<![CDATA[<&>]]><b/></a>")));
    EXPECT_TRUE(xml.loaded());
    XmlNode const a = xml.documentElement();
    EXPECT_EQ(a.name(), PovaString("a"));
    EXPECT_EQ(attributeText(a, "x"), "<&AB");
    EXPECT_EQ(a.text(), PovaString("t>'<&>"));

    // Byte order marks select the encoding of a stream.
    std::istringstream utf8("\xEF\xBB\xBF<a v='\xC3\xA9'/>");
    ASSERT_TRUE(xml.readXml(utf8));
    EXPECT_EQ(attributeText(xml.documentElement(), "v"), "\xC3\xA9");
    std::string const utf16 = std::string("\xFF\xFE<\0a\0 \0v\0=\0'\0\xE9\0'\0/\0>\0", 22);
    std::istringstream utf16Stream(utf16);
    ASSERT_TRUE(xml.readXml(utf16Stream));
    EXPECT_EQ(attributeText(xml.documentElement(), "v"), "\xC3\xA9");
}

TEST(XmlSupportDocument, SaveLoadSaveGivesTheSameText) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(PovaString(
        "<Root a='1'><Mixed> lead <b/>tail </Mixed><E x='&#10;'/><!--note--><Deep><D><D/></D>"
        "</Deep></Root>")));
    PovaString const first = xml.xml();
    XmlSupport again;
    ASSERT_TRUE(again.readXml(first));
    EXPECT_EQ(again.xml(), first);
    EXPECT_EQ(again.getNodeList("Mixed").front().text(), PovaString(" lead tail "));
}

TEST(XmlSupportDocument, CreatedElementsAreDetachedUntilAppended) {
    XmlSupport xml;
    ASSERT_TRUE(xml.createDocument());
    xml.addVersion();
    xml.addVersion();
    XmlNode const root = xml.createElement("Root");
    XmlNode const detached = xml.createElement("Child");
    EXPECT_EQ(xml.documentElement(), root);
    XmlSupport::write_to(detached, "v", LONG{1});
    EXPECT_TRUE(xml.getNodeList("Child").empty());
    EXPECT_EQ(xml.xml(), PovaString("<?xml version=\"1.0\"?>\n<Root/>\n"));

    // Appending within the document moves the node: the handle stays valid and it is not
    // left behind at the top level.
    XmlNode const moved = XmlNode(root).appendChild(detached);
    EXPECT_EQ(moved, detached);
    EXPECT_EQ(detached.parent(), root);
    EXPECT_EQ(xml.getNodeList("Child").size(), 1u);
    EXPECT_EQ(xml.documentNode().childNodes().size(), 2u);  // declaration and Root

    // A node of another document is copied.
    XmlSupport other;
    XmlNode const foreign = other.createElement("Foreign");
    XmlSupport::addAChild(foreign, "Inner");
    XmlNode const copy = XmlNode(root).appendChild(foreign);
    EXPECT_NE(copy, foreign);
    EXPECT_EQ(other.documentElement(), foreign);
    EXPECT_EQ(XmlSupport::findChild(copy, "Inner").name(), PovaString("Inner"));

    // A node cannot go below itself.
    EXPECT_FALSE(XmlNode(detached).appendChild(root));
    EXPECT_EQ(xml.documentElement(), root);
}

TEST(XmlSupportDocument, ListsInDocumentOrder) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(
        PovaString("<S n='0'><A><S n='1'><S n='2'/></S></A><S n='3'/><B><S n='4'/></B></S>")));
    XmlNodeList list;
    LONG count = 0;
    ASSERT_TRUE(xml.getList("S", list, count));
    ASSERT_EQ(count, 5);
    for (LONG i = 0; i < count; ++i) {
        EXPECT_EQ(attributeText(list[static_cast<std::size_t>(i)], "n"), std::to_string(i));
    }
    EXPECT_TRUE(xml.getNodeList("Missing").empty());
    EXPECT_EQ(xml.getNodeList("*").size(), 7u);

    NodeListIterator it(xml.getNodeList("S"));
    LONG walked = 0;
    for (it.begin(); !it.atEnd(); ++it) {
        ++walked;
    }
    EXPECT_EQ(walked, it.size());
    EXPECT_FALSE(it.iter());
    ++it;  // stays at the end
    it.begin();
    EXPECT_EQ(it.get_childList().size(), 3u);

    XmlSupport none;
    EXPECT_FALSE(none.getList("S", list, count));
    EXPECT_EQ(count, 0);
}

TEST(XmlSupportDocument, InitializeFromNodeMakesAnIndependentCopy) {
    XmlSupport source;
    ASSERT_TRUE(source.readXml(PovaString("<Doc><Viewpoint v='1'><Side/></Viewpoint></Doc>")));
    XmlNode const viewpoint = source.getNodeList("Viewpoint").front();

    XmlSupport copy;
    ASSERT_TRUE(copy.initializeFromNode(viewpoint));
    EXPECT_TRUE(copy.loaded());
    XmlNode const root = copy.documentElement();
    EXPECT_EQ(root.name(), PovaString("Viewpoint"));
    EXPECT_NE(root, viewpoint);
    XmlSupport::write_to(root, "v", LONG{2});
    EXPECT_EQ(attributeText(viewpoint, "v"), "1");

    ASSERT_TRUE(copy.initializeFromNode(source.documentNode()));
    EXPECT_EQ(copy.documentElement().name(), PovaString("Doc"));

    // From a node of its own document.
    ASSERT_TRUE(copy.initializeFromNode(copy.getNodeList("Side").front()));
    EXPECT_EQ(copy.xml(), PovaString("<Side/>\n"));

    EXPECT_FALSE(copy.initializeFromNode(XmlNode()));
    EXPECT_FALSE(copy.loaded());
    EXPECT_FALSE(copy.documentElement());
}

TEST(XmlSupportDocument, WrappingANodeUsesItsDocumentWithoutOwningIt) {
    XmlSupport owner;
    XmlNode root = owner.createElement("Root");
    {
        XmlSupport wrapper(root);
        EXPECT_EQ(wrapper.documentElement(), root);
        XmlNode const child = wrapper.createElement("Child");
        root.appendChild(child);
    }
    EXPECT_EQ(XmlSupport::findChild(root, "Child").name(), PovaString("Child"));

    XmlSupport moved(std::move(owner));
    EXPECT_EQ(moved.documentElement(), root);
    EXPECT_FALSE(owner.hasDocument());  // NOLINT(bugprone-use-after-move): moved-from is usable
    EXPECT_FALSE(owner.documentElement());
    moved.clear();
    EXPECT_FALSE(moved.hasDocument());
    EXPECT_FALSE(moved.documentElement());
    std::ostringstream out;
    EXPECT_FALSE(moved.save_all(out));
}

TEST(XmlSupportDocument, SaveReportsAFailedStream) {
    XmlSupport xml;
    xml.createElement("Root");
    std::ostringstream out;
    out.setstate(std::ios::failbit);
    EXPECT_FALSE(xml.save_all(out));
}

TEST(XmlNodeHandles, NullHandlesAndInvalidNamesAreHarmless) {
    XmlNode null;
    EXPECT_EQ(null.kind(), XmlNode::Kind::kNull);
    EXPECT_TRUE(null.name().empty());
    EXPECT_TRUE(null.text().empty());
    EXPECT_FALSE(null.hasAttribute("a"));
    null.setAttribute("a", "b");
    null.setText("x");
    EXPECT_FALSE(null.appendElement("a"));
    EXPECT_FALSE(null.appendChild(null));
    EXPECT_FALSE(null.parent());
    EXPECT_TRUE(null.childNodes().empty());
    EXPECT_TRUE(null.descendants("*").empty());
    EXPECT_FALSE(null.document());
    XmlSupport::write_to(null, "a", 1.5);
    EXPECT_FALSE(XmlSupport::addAChild(null, "a"));

    XmlSupport xml;
    XmlNode e = xml.createElement("E");
    EXPECT_FALSE(xml.createElement(""));
    EXPECT_FALSE(e.appendElement("two words"));
    XmlSupport::write_to(e, "1bad", LONG{1});
    XmlSupport::write_to(e, "", LONG{1});
    EXPECT_TRUE(e.attributes().empty());

    XmlSupport::write_to(e, "a", LONG{1});
    XmlSupport::write_to(e, "a", LONG{2});
    XmlSupport::write_to(e, "b", PovaString("x"));
    XmlAttributeMap const map = XmlSupport::getAttribMap(e);
    ASSERT_EQ(map.size(), 2u);
    PovaString value;
    EXPECT_TRUE(XmlSupport::getAttributeFromMap(map, "a", value));
    EXPECT_EQ(value, PovaString("2"));
    EXPECT_FALSE(XmlSupport::getAttributeFromMap(map, "A", value));
    EXPECT_TRUE(e.removeAttribute("a"));
    EXPECT_FALSE(e.hasAttribute("a"));

    e.setText("hello");
    XmlNode const child = e.appendElement("C");
    e.setText("bye");
    EXPECT_EQ(e.text(), PovaString("bye"));
    EXPECT_EQ(e.childNodes().size(), 2u);
    EXPECT_EQ(e.firstChild().kind(), XmlNode::Kind::kText);
    EXPECT_TRUE(e.removeChild(child));
    EXPECT_FALSE(e.removeChild(child));
}

}  // namespace
