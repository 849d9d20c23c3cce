// Feeds arbitrary bytes to the expression lexer and parser over the sample memcube cube.
//
// The first byte chooses name lookup; the rest is the text (UTF-8, invalid sequences becoming
// U+FFFD). Every text must give a tree or a BaseError. A tree's printed text must parse again
// (with the same lookup) and print the same, its copy must print the same, and its XML must
// load back into a tree that prints the same; parameter substitution must end in a value or a
// BaseError. Anything else stops the run.
#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <memcube/SalesCube.h>
#include <pova/Parameter.h>
#include <pova/ParameterValue.h>
#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>
#include "expressions/COSLexer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

class FuzzValue : public ZELT_o::ParameterValue {
public:
    FuzzValue(ParamValueType kind, PovaString text, double number)
        : ZELT_o::ParameterValue("FuzzValue", 0),
          fKind(kind),
          fText(std::move(text)),
          fNumber(number) {}
    ParamValueType getValueType() const override { return fKind; }
    void getValue(PovaString& value) const override { value = fText; }
    void getValue(LONG& value) const override { value = static_cast<LONG>(fNumber); }
    void getValue(double& value) const override { value = fNumber; }
    void getValue(ZELT_o::Member** member) const override { *member = nullptr; }

private:
    ParamValueType fKind;
    PovaString fText;
    double fNumber;
};

class FuzzParameter : public ZELT_o::Parameter {
public:
    FuzzParameter(PovaString name, LONG type, support::Ref<ZELT_o::ParameterValue> value)
        : ZELT_o::Parameter("FuzzParameter", 0),
          fName(std::move(name)),
          fType(type),
          fValue(std::move(value)) {}
    void getUniqueName(PovaString& name) const override { name = fName; }
    void getValue(ZELT_o::ParameterValue** value) const override {
        *value = support::retain(fValue.get()).detach();
    }
    void getDefaultValue(ZELT_o::ParameterValue** value) const override { *value = nullptr; }
    void getType(ParameterType* type) const override { *type = static_cast<ParameterType>(fType); }

private:
    PovaString fName;
    LONG fType;
    support::Ref<ZELT_o::ParameterValue> fValue;
};

memcube::MemCube* cube() {
    static support::Ref<memcube::MemCube> const sales = [] {
        support::Ref<memcube::MemCube> made = memcube::makeSalesCube();
        struct Spec {
            char const* name;
            LONG type;
            ZELT_o::ParameterValue::ParamValueType kind;
            char const* text;
            double number;
        };
        Spec const specs[] = {
            {"Year", 6, ZELT_o::ParameterValue::kInteger, "", 2024},
            {"Rate", 6, ZELT_o::ParameterValue::kDouble, "", 0.25},
            {"Region", 4, ZELT_o::ParameterValue::kString, "[Region].[France]", 0},
            {"Label", 2, ZELT_o::ParameterValue::kString, "Total}}", 0},
            {"Products", 5, ZELT_o::ParameterValue::kNone, "", 0},
            {"Odd", 11, ZELT_o::ParameterValue::kDouble, "", 1},
            {"Bad", 0, ZELT_o::ParameterValue::kString, "x", 0},
        };
        for (Spec const& s : specs) {
            auto value =
                support::adopt<ZELT_o::ParameterValue>(new FuzzValue(s.kind, s.text, s.number));
            auto parameter = support::adopt(new FuzzParameter(s.name, s.type, value));
            made->addParameter(parameter.get());
        }
        return made;
    }();
    return sales.get();
}

[[noreturn]] void fail(char const* what, PovaString const& first, PovaString const& second) {
    std::fprintf(stderr, "%s\n  first:  [%s]\n  second: [%s]\n", what, first.string().c_str(),
                 second.string().c_str());
    std::abort();
}

using Tree = support::Ref<common::ExpressionBase>;

Tree parsed(PovaString const& text, bool lookup) {
    Tree tree = support::adopt(new common::ExpressionBase());
    tree->setTextAndCreateTree(text, cube(), lookup);
    return tree;
}

void check(PovaString const& text, bool lookup) {
    Tree tree;
    try {
        tree = parsed(text, lookup);
    } catch (BaseError const&) {
        return;
    }
    PovaString const printed = tree->getTextFromTree();
    PovaString again;
    try {
        again = parsed(printed, lookup)->getTextFromTree();
    } catch (BaseError const& error) {
        fail(error.what(), text, printed);
    }
    if (again != printed) {
        fail("printing, parsing and printing again changed the text", printed, again);
    }
    auto const copy = support::adopt(tree->clone());
    if (copy->getTextFromTree() != printed) {
        fail("the copy prints differently", printed, copy->getTextFromTree());
    }

    XmlSupport xml;
    xml.createDocument();
    XmlNode const element = xml.createElement("Expression");
    tree->save(xml, 0, element);
    NodeListIterator iterator(XmlNodeList{element});
    Tree const loaded = support::adopt(new common::ExpressionBase());
    loaded->load(iterator, cube());
    if (loaded->getTextFromTree() != printed) {
        fail("the loaded tree prints differently", printed, loaded->getTextFromTree());
    }

    std::vector<ZELT_o::Parameter*> used;
    try {
        tree->resolveParameters(cube(), used);
    } catch (BaseError const&) {
    }
    if (tree->getTextFromTree() != printed) {
        fail("substituted parameters were not restored", printed, tree->getTextFromTree());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // Rejected texts log their errors; the records would only slow the run down.
    basekit::getLogObject()->setSink([](LogRecord const&) {});
    cube();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    bool const lookup = (data[0] & 1) != 0;
    std::string_view const bytes(reinterpret_cast<char const*>(data + 1), size - 1);
    check(PovaString(bytes), lookup);
    return 0;
}
