#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>

#include "Corpus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

std::string attributeText(XmlNode node, char const* name) {
    PovaString value;
    EXPECT_TRUE(node.getAttribute(name, value)) << name;
    return value.string();
}

// Writes each value under its own name, saves, reads the text back and reads every value:
// each comes back equal (bit for bit for floating point). The first values are written as
// `texts` give.
template <typename T>
void expectRoundTrip(std::vector<T> const& values, std::vector<std::string> const& texts = {}) {
    XmlSupport xml;
    ASSERT_TRUE(xml.createDocument());
    XmlNode const element = xml.createElement("Values");
    for (std::size_t i = 0; i < values.size(); ++i) {
        XmlSupport::write_to(element, PovaString::build("V%zu", i), values[i]);
        EXPECT_TRUE(i >= texts.size() ||
                    attributeText(element, PovaString::build("V%zu", i).string().c_str()) ==
                        texts[i]);
    }
    std::stringstream stream;
    EXPECT_TRUE(xml.save_all(stream));
    XmlSupport copy;
    ASSERT_TRUE(copy.readXml(stream));
    NodeListIterator const it({copy.documentElement()});
    for (std::size_t i = 0; i < values.size(); ++i) {
        T value{};
        ASSERT_TRUE(it.read(PovaString::build("V%zu", i), value));
        if constexpr (std::is_floating_point_v<T>) {
            EXPECT_EQ(std::memcmp(&value, &values[i], sizeof value), 0) << values[i];
        } else {
            EXPECT_EQ(value, values[i]) << i;
        }
    }
}

// Numbers are written in their shortest form.
TEST(XmlSupportValues, EveryWrittenValueReadsBackEqual) {
    expectRoundTrip<PovaString>({"", "<a href=\"x\">&amp; 'quoted' & more</a>",
                                 u"caf\u00e9 \u65e5\u672c \U0001F600",
                                 "tab\there\nnew line\r\nCRLF  two spaces ", "\x01 control"});
    expectRoundTrip<LONG>(
        {-17, 0, 42, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()}, {"-17"});
    expectRoundTrip<double>(
        {12.0, 0.1, 0.0, -0.0, 1.0 / 3.0, 1e-300, 5e-324, 1e300, -2.5, 123456789.123456789,
         1.7976931348623157e308, std::numeric_limits<double>::min(),
         -std::numeric_limits<double>::infinity()},
        {"12", "0.1"});
    expectRoundTrip<float>({12.0f, 0.1f, 0.0f, -0.0f, 1.0f / 3.0f, 1e-45f, 3.4028235e38f,
                            std::numeric_limits<float>::min()},
                           {"12", "0.1"});
    expectRoundTrip<bool>({true, false}, {"true", "false"});
    XmlSupport xml;
    XmlNode const e = xml.createElement("E");
    XmlSupport::write_to(e, "v", "text");  // not the bool overload
    EXPECT_EQ(attributeText(e, "v"), "text");
}

// The value read, or nothing when the read fails; a failed read leaves the value as it was.
template <typename T>
std::optional<T> readAs(NodeListIterator const& it, char const* name) {
    T const before = static_cast<T>(5);
    T value = before;
    if (it.read(name, value)) {
        return value;
    }
    EXPECT_EQ(value, before) << name;
    return std::nullopt;
}

TEST(XmlSupportValues, ReadRefusesWhatDoesNotConvertAndLeavesTheValue) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(PovaString(
        "<E big='2147483648' small='-2147483649' junk='12abc' frac='1.5' padded=' 42 ' plus='+7'"
        " comma='1,5' huge='1e400' fhuge='1e300' empty='' T='TRUE' one='1' minus='-1' zero='0'"
        " yes='yes'/>")));
    NodeListIterator const it(xml.getNodeList("E"));
    for (char const* name : {"big", "small", "junk", "frac", "empty", "absent"}) {
        EXPECT_EQ(readAs<LONG>(it, name), std::nullopt) << name;
    }
    EXPECT_TRUE(readAs<LONG>(it, "padded") == 42 && readAs<LONG>(it, "plus") == 7);
    for (char const* name : {"comma", "huge", "junk"}) {
        EXPECT_EQ(readAs<double>(it, name), std::nullopt) << name;
    }
    EXPECT_TRUE(readAs<double>(it, "frac") == 1.5 && !readAs<float>(it, "fhuge"));
    EXPECT_TRUE(readAs<bool>(it, "T") == true && readAs<bool>(it, "minus") == true &&
                readAs<bool>(it, "one") == true && readAs<bool>(it, "zero") == false);
    EXPECT_TRUE(!readAs<bool>(it, "yes") && !readAs<bool>(it, "absent"));
}

TEST(XmlSupportValues, AttributesAsVariants) {
    XmlSupport xml;
    XmlNode const e = xml.createElement("E");
    XmlSupport::write_to(e, "Name", PovaString(u"\u00e9t\u00e9"));
    basekit::Variant value;
    EXPECT_TRUE(NodeListIterator({e}).get_attribute("Name", value.get()));
    ASSERT_EQ(value.type(), VT_BSTR);
    EXPECT_EQ(PovaString(value->bstrVal), PovaString(u"\u00e9t\u00e9"));
    // A held BSTR is released before the variant is reused (the leak checker watches).
    EXPECT_FALSE(e.getAttribute("Missing", value.get()));
    EXPECT_EQ(value.type(), VT_EMPTY);
    EXPECT_TRUE(e.getAttribute("Name", value.get()));
    EXPECT_FALSE(NodeListIterator().get_attribute("Name", value.get()));
    EXPECT_EQ(value.type(), VT_EMPTY);
}

TEST(XmlSupportParse, MalformedTextLeavesAnEmptyUnloadedDocument) {
    auto const refused = [](std::string const& input) {
        XmlSupport xml;
        ASSERT_TRUE(xml.readXml(PovaString("<previous><content/></previous>")));
        EXPECT_FALSE(xml.readXml(PovaString(input))) << input;
        EXPECT_TRUE(!xml.loaded() && !xml.documentElement() && xml.getNodeList("*").empty());
        std::istringstream stream(input);
        XmlSupport fromStream;
        EXPECT_FALSE(fromStream.readXml(stream)) << input;
        EXPECT_TRUE(!fromStream.loaded() && !fromStream.documentElement()) << input;
    };
    for (std::string const& input : basekit_test::corpus("malformed_xml.txt")) {
        refused(input);
    }
    refused("");

    // Bytes that are not UTF-8 can only arrive through a stream.
    for (char const* bytes :
         {"<a>\xC3\x28</a>", "<a>\xED\xA0\x80</a>", "<a v='\xFF'/>", "<a>\xC0\xAF</a>",
          "<a>\xE0\x80\xAF</a>", "<a>\xF4\x90\x80\x80</a>"}) {
        std::istringstream stream(bytes);
        XmlSupport fromStream;
        EXPECT_FALSE(fromStream.readXml(stream)) << bytes;
    }

    XmlSupport xml;
    EXPECT_FALSE(xml.readXml(PovaString(std::u16string(u"<a>") + char16_t(0xD800) + u"</a>")));
    std::istringstream failed("<a/>");
    failed.setstate(std::ios::badbit);
    EXPECT_FALSE(xml.readXml(failed) || xml.loaded());
}

TEST(XmlSupportParse, WellFormedDocumentsAndEncodings) {
    XmlSupport xml;
    ASSERT_TRUE(
        xml.readXml(PovaString("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone='yes'?>\n<!-- "
                               "c --><a x=\"&lt;&amp;&#65;&#x42;\">"
                               "t&gt;&apos;<![CDATA[<&>]]><b/></a>")));
    XmlNode const a = xml.documentElement();
    EXPECT_TRUE(xml.loaded() && a.name() == "a" && a.text() == "t>'<&>");
    EXPECT_EQ(attributeText(a, "x"), "<&AB");

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
    ASSERT_TRUE(
        xml.readXml(PovaString("<?xml version='1.0'?><Root a='1'><Mixed> lead <b/>tail </Mixed><E "
                               "x='&#10;'/><!--note--><Deep><D><D/></D>"
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
    XmlSupport::write_to(detached, "v", LONG{1});
    EXPECT_TRUE(xml.documentElement() == root && xml.getNodeList("Child").empty());
    EXPECT_EQ(xml.xml(), PovaString("<?xml version=\"1.0\"?>\n<Root/>\n"));

    // Appending within the document moves the node: the handle stays valid and it is not
    // left behind at the top level.
    EXPECT_EQ(XmlNode(root).appendChild(detached), detached);
    EXPECT_TRUE(detached.parent() == root && xml.getNodeList("Child").size() == 1u);
    EXPECT_EQ(xml.documentNode().childNodes().size(), 2u);  // declaration and Root

    // A node of another document is copied.
    XmlSupport other;
    XmlNode const foreign = other.createElement("Foreign");
    XmlSupport::addAChild(foreign, "Inner");
    XmlNode const copy = XmlNode(root).appendChild(foreign);
    EXPECT_TRUE(copy != foreign && other.documentElement() == foreign);
    EXPECT_EQ(XmlSupport::findChild(copy, "Inner").name(), PovaString("Inner"));

    // A node cannot go below itself.
    EXPECT_TRUE(!XmlNode(detached).appendChild(root) && xml.documentElement() == root);
}

TEST(XmlSupportDocument, ListsInDocumentOrder) {
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(
        PovaString("<S n='0'><A><S n='1'><S n='2'/></S></A><S n='3'/><B><S n='4'/></B></S>")));
    XmlNodeList list;
    LONG count = 0;
    ASSERT_TRUE(xml.getList("S", list, count));
    std::string order;
    for (XmlNode const& node : list) {
        order += attributeText(node, "n");
    }
    EXPECT_EQ(order, "01234");
    EXPECT_EQ(count, 5);
    EXPECT_TRUE(xml.getNodeList("Missing").empty());
    EXPECT_EQ(xml.getNodeList("*").size(), 7u);
    NodeListIterator it(xml.getNodeList("S"));
    LONG walked = 0;
    for (it.begin(); !it.atEnd(); ++it) {
        ++walked;
    }
    ++it;  // stays at the end
    EXPECT_TRUE(walked == it.size() && !it.iter());
    it.begin();
    EXPECT_EQ(it.get_childList().size(), 3u);
    XmlSupport none;
    EXPECT_TRUE(!none.getList("S", list, count) && count == 0);
}

TEST(XmlSupportDocument, InitializeFromNodeMakesAnIndependentCopy) {
    XmlSupport source;
    ASSERT_TRUE(source.readXml(PovaString("<Doc><Viewpoint v='1'><Side/></Viewpoint></Doc>")));
    XmlNode const viewpoint = source.getNodeList("Viewpoint").front();

    XmlSupport copy;
    ASSERT_TRUE(copy.initializeFromNode(viewpoint));
    XmlNode const root = copy.documentElement();
    EXPECT_TRUE(copy.loaded() && root.name() == "Viewpoint" && root != viewpoint);
    XmlSupport::write_to(root, "v", LONG{2});
    EXPECT_EQ(attributeText(viewpoint, "v"), "1");

    ASSERT_TRUE(copy.initializeFromNode(source.documentNode()));
    EXPECT_EQ(copy.documentElement().name(), PovaString("Doc"));

    // From a node of its own document.
    ASSERT_TRUE(copy.initializeFromNode(copy.getNodeList("Side").front()));
    EXPECT_EQ(copy.xml(), PovaString("<Side/>\n"));

    EXPECT_FALSE(copy.initializeFromNode(XmlNode()));
    EXPECT_TRUE(!copy.loaded() && !copy.documentElement());
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
    // NOLINTNEXTLINE(bugprone-use-after-move): a moved-from document is usable
    EXPECT_TRUE(!owner.hasDocument() && !owner.documentElement());
    moved.clear();
    EXPECT_TRUE(!moved.hasDocument() && !moved.documentElement());
    std::ostringstream out;
    EXPECT_FALSE(moved.save_all(out));
    // Nor can a stream that fails take the text.
    XmlSupport xml;
    xml.createElement("Root");
    out.setstate(std::ios::failbit);
    EXPECT_FALSE(xml.save_all(out));
}

TEST(XmlNodeHandles, NullHandlesAndInvalidNamesAreHarmless) {
    XmlNode null;
    null.setAttribute("a", "b");
    null.setText("x");
    XmlSupport::write_to(null, "a", 1.5);
    EXPECT_TRUE(null.kind() == XmlNode::Kind::kNull && null.name().empty() && null.text().empty() &&
                !null.hasAttribute("a") && !null.appendElement("a") && !null.appendChild(null) &&
                !null.parent() && null.childNodes().empty() && null.descendants("*").empty() &&
                !null.document() && !XmlSupport::addAChild(null, "a"));

    XmlSupport xml;
    XmlNode e = xml.createElement("E");
    XmlSupport::write_to(e, "1bad", LONG{1});
    XmlSupport::write_to(e, "", LONG{1});
    EXPECT_TRUE(!xml.createElement("") && !e.appendElement("two words") && e.attributes().empty());

    XmlSupport::write_to(e, "a", LONG{1});
    XmlSupport::write_to(e, "a", LONG{2});
    XmlSupport::write_to(e, "b", PovaString("x"));
    XmlAttributeMap const map = XmlSupport::getAttribMap(e);
    ASSERT_EQ(map.size(), 2u);
    PovaString value;
    EXPECT_TRUE(XmlSupport::getAttributeFromMap(map, "a", value) && value == "2");
    EXPECT_FALSE(XmlSupport::getAttributeFromMap(map, "A", value));
    EXPECT_TRUE(e.removeAttribute("a") && !e.hasAttribute("a"));

    e.setText("hello");
    XmlNode const child = e.appendElement("C");
    e.setText("bye");
    EXPECT_TRUE(e.text() == "bye" && e.childNodes().size() == 2u &&
                e.firstChild().kind() == XmlNode::Kind::kText);
    EXPECT_TRUE(e.removeChild(child) && !e.removeChild(child));
}

}  // namespace
