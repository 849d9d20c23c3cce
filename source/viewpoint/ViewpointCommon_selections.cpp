// Active hierarchies, member sets, slices and selections (being written).
#include <basekit/BaseError.h>
#include <pova/common/ViewpointCommon.h>

namespace common {

namespace {
[[noreturn]] void notYet() {
    throwResult(E_NOTIMPL);
}
}  // namespace

ZELT_o::MemberSet* ViewpointCommon::getCurrentSet(ZELT_o::Dimension const&) {
    notYet();
}
ZELT_o::MemberSet* ViewpointCommon::getCurrentSelection(ZELT_o::Dimension&) {
    notYet();
}
ZELT_o::Member* ViewpointCommon::getCurrentSection(ZELT_o::Dimension const&) {
    notYet();
}
std::vector<ZELT_o::Hierarchy*> ViewpointCommon::getHierarchies(ZELT_o::Dimension&) {
    notYet();
}
ZELT_o::Hierarchy* ViewpointCommon::getActiveHierarchy(ZELT_o::Dimension const&) {
    notYet();
}
bool ViewpointCommon::readDimensionProperty(LONG, PovaString const&, Property*, bool) {
    notYet();
}
void ViewpointCommon::setDimensionProperty(LONG, Property const&, bool, bool) {
    notYet();
}
void ViewpointCommon::setActiveHierarchy(ZELT_o::Dimension&, ZELT_o::Hierarchy*) {
    notYet();
}
void ViewpointCommon::setActiveSet(ZELT_o::Dimension const&, ZELT_o::MemberSet*) {
    notYet();
}
void ViewpointCommon::setActiveSlice(ZELT_o::Dimension&, ZELT_o::Member*, bool) {
    notYet();
}
void ViewpointCommon::setActiveSelection(ZELT_o::Dimension&, ZELT_o::MemberSet*) {
    notYet();
}
void ViewpointCommon::replaceCurrentSet(ZELT_o::Dimension const&, ZELT_o::MemberSet*, bool) {
    notYet();
}
void ViewpointCommon::replaceCurrentSelection(ZELT_o::Dimension&, ZELT_o::MemberSet*, bool) {
    notYet();
}
void ViewpointCommon::replaceCurrentSection(ZELT_o::Dimension const&, ZELT_o::Member*, bool) {
    notYet();
}
void ViewpointCommon::suppressActiveSetChangeUndoStack(ZELT_o::MemberSet*) {
    notYet();
}
void ViewpointCommon::doingActiveSetChangeUndo(ZELT_o::MemberSet*) {
    notYet();
}
std::unique_ptr<ViewpointProperties> ViewpointCommon::getProperties() {
    notYet();
}
void ViewpointCommon::setProperties(ViewpointProperties const&) {
    notYet();
}
void ViewpointCommon::clearPropertyVector(ViewpointProperties* properties) {
    if (properties != nullptr) {
        properties->clear();
    }
}

}  // namespace common
