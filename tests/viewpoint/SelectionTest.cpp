// Active hierarchies, member sets, slices and selections: defaults on first use, events,
// linked viewpoints, the member-set undo stack and the property lists that hold them.
#include "ViewpointFixture.h"
#include "support/AssertionCounter.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

namespace {

using namespace viewpoint_test;
using testing_support::AssertionCounter;

// A member set whose value can change: it tells its listeners when asked to.
class VariableSet final : public ZELT_o::MemberSet {
public:
    explicit VariableSet(ZELT_o::MemberSet& inner)
        : ZELT_o::MemberSet("VariableSet", 0), fInner(support::retain(&inner)) {}
    ZELT_o::Dimension* getDimension() const override { return fInner->getDimension(); }
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>* p) override {
        return fInner->query(p);
    }
    ZELT_o::Hierarchy* getHierarchy() const override { return fInner->getHierarchy(); }
    LONG getKind() const override { return 0; }
    LONG getCount() const override { return fInner->getCount(); }
    ZELT_o::Member* getMember(LONG i) const override { return fInner->getMember(i); }
    void getMembers(std::vector<ZELT_o::Member*>& out) const override { fInner->getMembers(out); }
    void addListener(Listener* l) override { fListeners.push_back(l); }
    void removeListener(Listener* l) override { std::erase(fListeners, l); }
    void addUndoListener(UndoListener* l) override { fUndoListeners.push_back(l); }
    void removeUndoListener(UndoListener* l) override { std::erase(fUndoListeners, l); }
    void save(XmlSupport&, XmlNode) const override {}

    void fire() {
        for (Listener* listener : std::vector<Listener*>(fListeners)) {
            listener->variableChanged(this);
        }
    }
    void fireUndo() {
        for (UndoListener* listener : std::vector<UndoListener*>(fUndoListeners)) {
            listener->setChangeUndone(this);
        }
    }
    std::vector<Listener*> fListeners;
    std::vector<UndoListener*> fUndoListeners;

private:
    ~VariableSet() override = default;
    support::Ref<ZELT_o::MemberSet> fInner;
};
using Listener = testing_support::RecordingListener;

class SelectionTest : public CubeFixture {
protected:
    Ref fView = bind(fCube.get());
};

TEST_F(SelectionTest, DefaultsAreMadeOnFirstUseAndKept) {
    ZELT_o::MemberSet* set = fView->getCurrentSet(*dim(0));
    EXPECT_EQ(set->getKind(), 0);
    EXPECT_EQ(set->getHierarchy(), hier(0));
    EXPECT_EQ(fView->getCurrentSet(*dim(0)), set);
    EXPECT_EQ(fView->getCurrentSelection(*dim(0))->getKind(), 8);
    EXPECT_EQ(fView->getCurrentSection(*dim(2)), hier(2)->getDefaultMember());
    EXPECT_EQ(fView->getActiveHierarchy(*dim(1)), hier(1));
    EXPECT_EQ(fView->getHierarchies(*dim(1)), std::vector<ZELT_o::Hierarchy*>{hier(1)});
    // The set is stored as the dimension's "Fieldlist" property.
    ZELT_o::Viewpoint::Property stored;
    ASSERT_TRUE(fView->readDimensionProperty(0, "Fieldlist", &stored, true));
    EXPECT_EQ(stored.getMemberSet(), set);
}

TEST_F(SelectionTest, EachSetterSendsItsEventsAndQuietSlicesSendNone) {
    Listener listener;
    fView->addListener(&listener);
    auto set = setOf(0, {"A2"});
    auto selection = setOf(1, {"B1"});
    struct Case {
        char const* name;
        std::function<void()> change;
        std::vector<std::string> events;
    };
    std::vector<Case> const cases{
        {"hierarchy already active", [&] { fView->setActiveHierarchy(*dim(0), hier(0)); }, {}},
        {"quiet slice",
         [&] {
             fView->setActiveSlice(*dim(2), member(2, "C2"), true);
             EXPECT_EQ(fView->getCurrentSection(*dim(2)), member(2, "C2"));
         },
         {}},
        {"slice",
         [&] { fView->setActiveSlice(*dim(2), member(2, "C1"), false); },
         {"dimensionChanged(1, C)", "axisChanged(2)", "cellsChanged()", "viewpointChanged()"}},
        {"member set",
         [&] { fView->setActiveSet(*dim(0), set.get()); },
         {"dimensionChanged(0, A)", "axisChanged(0)", "cellsChanged()", "viewpointChanged()"}},
        {"selection",
         [&] { fView->setActiveSelection(*dim(1), selection.get()); },
         {"dimensionChanged(2, B)", "axisChanged(1)", "viewpointChanged()"}},
        {"hierarchy",
         [&] { fView->setActiveHierarchy(*dim(0), alt()); },
         {"dimensionChanged(8, A)", "axisChanged(0)", "cellsChanged()", "viewpointChanged()"}},
    };
    for (Case const& c : cases) {
        listener.clear();
        c.change();
        EXPECT_EQ(listener.calls(), c.events) << c.name;
    }
    EXPECT_EQ(fView->getCurrentSection(*dim(2)), member(2, "C1"));
    EXPECT_EQ(fView->getCurrentSelection(*dim(1)), selection.get());
    // The new hierarchy brings a new member set, slice and selection of its own.
    EXPECT_EQ(fView->getCurrentSet(*dim(0))->getHierarchy(), alt());
    EXPECT_EQ(fView->getCurrentSection(*dim(0)), alt()->getDefaultMember());
    fView->removeListener(&listener);
}

// A dimension of an axis made excluded returns to its defaults at its next access: a new
// state from its default hierarchy, told to the listeners.
TEST_F(SelectionTest, ExcludedAxisReturnsItsDimensionsToDefaults) {
    fView->setActiveSlice(*dim(2), member(2, "C2"), true);
    fView->doChangeAxisType(2, ZELT_o::Viewpoint::kExcluded);
    fView->doChangeAxisType(2, ZELT_o::Viewpoint::kSlice);
    Listener listener;
    fView->addListener(&listener);
    EXPECT_EQ(fView->getCurrentSection(*dim(2)), hier(2)->getDefaultMember());
    EXPECT_EQ(listener.calls().front(), "dimensionChanged(8, C)");
    fView->removeListener(&listener);
}

TEST_F(SelectionTest, BadInputIsRefusedAndChangesNothing) {
    auto other = makeCube({"A", "B", "C"});
    auto set = setOf(0, {"A1"});
    AssertionCounter assertions;
    struct Case {
        char const* name;
        std::function<void()> call;
        std::uint32_t code;
    };
    std::vector<Case> const cases{
        {"dimension of another cube",
         [&] { fView->setActiveSet(*other->getDimension(0), set.get()); }, 0xC2011209u},
        {"set of another dimension", [&] { fView->setActiveSet(*dim(1), set.get()); }, kInvalidArg},
        {"null set", [&] { fView->setActiveSelection(*dim(0), nullptr); }, kInvalidArg},
        {"member of another dimension",
         [&] { fView->setActiveSlice(*dim(2), member(0, "A1"), false); }, kInvalidArg},
        {"null hierarchy", [&] { fView->setActiveHierarchy(*dim(0), nullptr); }, kInvalidArg},
        {"property index", [&] { fView->setDimensionProperty(5, {}, true, true); }, 0xC2011205u},
        {"read index", [&] { fView->readDimensionProperty(-1, {}, nullptr, true); }, 0xC2011205u},
    };
    ZELT_o::MemberSet* before = fView->getCurrentSet(*dim(0));
    for (Case const& c : cases) {
        EXPECT_EQ(codeOf(c.call), c.code) << c.name;
    }
    EXPECT_EQ(fView->getCurrentSet(*dim(0)), before);
    EXPECT_EQ(assertions.count(), 0u);
}

TEST_F(SelectionTest, ExcludedDimensionsReportAndKeepTheirState) {
    fView->doChangeAxisType(2, ZELT_o::Viewpoint::kExcluded);
    auto set = setOf(2, {"C1"});
    AssertionCounter assertions;
    Listener listener;
    fView->addListener(&listener);
    fView->setActiveHierarchy(*dim(2), hier(2));
    fView->setActiveSet(*dim(2), set.get());
    fView->setActiveSlice(*dim(2), member(2, "C1"), false);
    fView->setActiveSelection(*dim(2), set.get());
    for (char const* what : {"hierarchy", "set", "slice", "selection"}) {
        EXPECT_EQ(assertions.count(std::string("!\"Can't set active ") + what +
                                   " on an excluded dimension\""),
                  1u)
            << what;
    }
    EXPECT_TRUE(listener.calls().empty());
    fView->removeListener(&listener);
}

// A derived viewpoint shares its base's state for dimensions of link mode 2: a change made
// on either lands in the base, both hear it, and its undo record lives in the base.
TEST_F(SelectionTest, LinkedChildChangesTheBaseAndBothHear) {
    Ref child = derive(fView.get());
    ASSERT_EQ(child->getDimensionLinkMode(dim(0)), ZELT_o::kLinkBase);
    Listener baseListener;
    Listener childListener;
    fView->addListener(&baseListener);
    child->addListener(&childListener);
    auto set = setOf(0, {"A2"});
    child->setActiveSet(*dim(0), set.get());
    EXPECT_EQ(fView->getCurrentSet(*dim(0)), set.get());
    EXPECT_EQ(child->getCurrentSet(*dim(0)), set.get());
    EXPECT_EQ(baseListener.calls().front(), "dimensionChanged(0, A)");
    EXPECT_EQ(childListener.calls(), baseListener.calls());
    EXPECT_EQ(fView->activeSetUndoDepth(), 1u);
    EXPECT_EQ(child->activeSetUndoDepth(), 0u);
    child->doingActiveSetChangeUndo(set.get());
    EXPECT_EQ(fView->activeSetUndoDepth(), 0u);

    // Unlinked, the child keeps a state of its own.
    child->setDimensionLinkMode(dim(0), ZELT_o::kLinkOwn);
    child->setActiveSet(*dim(0), setOf(0, {"A1"}).get());
    EXPECT_EQ(names(child->getCurrentSet(*dim(0))), "{A1}");
    EXPECT_EQ(fView->getCurrentSet(*dim(0)), set.get());
    fView->removeListener(&baseListener);
    child->removeListener(&childListener);
}

TEST_F(SelectionTest, SuppressedChangesAreNotRecorded) {
    auto first = setOf(0, {"A1"});
    auto second = setOf(0, {"A2"});
    fView->setActiveSet(*dim(0), first.get());
    EXPECT_EQ(fView->activeSetUndoDepth(), 1u);
    fView->suppressActiveSetChangeUndoStack(second.get());
    fView->setActiveSet(*dim(0), second.get());
    EXPECT_EQ(fView->activeSetUndoDepth(), 1u);
    // An undo for a set that is not on top pops nothing.
    fView->doingActiveSetChangeUndo(second.get());
    EXPECT_EQ(fView->activeSetUndoDepth(), 1u);
    fView->doingActiveSetChangeUndo(first.get());
    EXPECT_EQ(fView->activeSetUndoDepth(), 0u);
}

TEST_F(SelectionTest, PropertyListsCopyDeepAndRestore) {
    fView->setActiveSlice(*dim(2), member(2, "C2"), true);
    std::unique_ptr<common::ViewpointProperties> saved = fView->getProperties();
    ASSERT_EQ(saved->size(), 5);
    fView->setActiveSlice(*dim(2), member(2, "C1"), true);
    fView->setProperties(*saved);
    EXPECT_EQ(fView->getCurrentSection(*dim(2)), member(2, "C2"));
    common::ViewpointCommon::clearPropertyVector(saved.get());
    EXPECT_EQ(saved->size(), 0);
    EXPECT_EQ(codeOf([&] { fView->setProperties(*saved); }), kInvalidArg);
    EXPECT_EQ(fView->getCurrentSection(*dim(2)), member(2, "C2"));
}

TEST_F(SelectionTest, ClientPropertiesOfTheBaseAreSetThere) {
    Ref child = derive(fView.get());
    LONG const own = fView->countPropertyLists() - 1;
    auto const colour = [](OLECHAR const* text) {
        return ZELT_o::Viewpoint::Property("Colour", *basekit::Variant(text));
    };
    fView->setDimensionProperty(own, colour(u"red"), false, false);
    child->setDimensionProperty(own, colour(u"blue"), true, false);
    ZELT_o::Viewpoint::Property read;
    ASSERT_TRUE(fView->readDimensionProperty(own, "Colour", &read, false));
    EXPECT_EQ(PovaString(read.getValue().bstrVal), PovaString("blue"));
    EXPECT_FALSE(child->readDimensionProperty(own, "Colour", &read, false));
}

// The viewpoint listens to the sets it holds, and only while it holds them.
TEST_F(SelectionTest, HeldSetsAreListenedToWhileHeld) {
    auto variable = support::adopt(new VariableSet(*setOf(0, {"A1"})));
    fView->setActiveSet(*dim(0), variable.get());
    ASSERT_EQ(variable->fListeners.size(), 1u);
    EXPECT_EQ(fView->activeSetUndoDepth(), 1u);
    Listener listener;
    fView->addListener(&listener);
    variable->fire();
    EXPECT_EQ(listener.calls(),
              (std::vector<std::string>{"dimensionChanged(0, A)", "axisChanged(0)",
                                        "cellsChanged()", "viewpointChanged()"}));
    // A change of the set's value is recorded like a change of set.
    EXPECT_EQ(fView->activeSetUndoDepth(), 2u);
    variable->fireUndo();
    EXPECT_EQ(fView->activeSetUndoDepth(), 1u);
    fView->setActiveSet(*dim(0), setOf(0, {"A2"}).get());
    EXPECT_TRUE(variable->fListeners.empty());
    EXPECT_TRUE(variable->fUndoListeners.empty());
    fView->setActiveSet(*dim(0), variable.get());
    fView->removeListener(&listener);
    fView.reset();
    EXPECT_TRUE(variable->fListeners.empty());
}

// A viewpoint whose cube goes away lets go of the sets and members it held and stops
// listening to them; nothing leaks and nothing dangles.
TEST_F(SelectionTest, CubeDeathDropsHeldState) {
    auto set = setOf(0, {"A2"});
    fView->setActiveSet(*dim(0), set.get());
    ZELT_o::Dimension* first = dim(0);
    LONG const held = set->getRefCount();
    fCube.reset();
    EXPECT_LT(set->getRefCount(), held);
    EXPECT_EQ(codeOf([&] { fView->getCurrentSet(*first); }), 0xC2011209u);
}

}  // namespace
