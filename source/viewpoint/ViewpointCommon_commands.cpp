// Commands handed out by the viewpoint, and the axis link mode they switch.
#include <basekit/BaseError.h>
#include <pova/common/BasicViewpointCommandCommon.h>
#include <pova/common/FilterViewpointCommandCommon.h>
#include <pova/common/SortViewpointCommandCommon.h>
#include <pova/common/TransactionCommandCommon.h>
#include <pova/common/ViewpointCommon.h>

#include "viewpoint/ViewpointEvents.h"

namespace common {

namespace {

constexpr ZELT_o::MessageCode kNotConnected = 0xC201120Du;
constexpr ZELT_o::MessageCode kNotBuiltHere = 0xC201120Eu;
constexpr ZELT_o::MessageCode kNoBaseToLink = 0xC2011214u;
constexpr LONG kLastKind = static_cast<LONG>(ZELT_o::Viewpoint::CommandType::SubTotal);

}  // namespace

ZELT_o::ViewpointCommand* ViewpointCommon::createCommand(CommandType type) {
    if (static_cast<LONG>(type) > kLastKind) {
        throw_error(kNotBuiltHere);
    }
    if (!is_command_supported(type)) {
        return nullptr;
    }
    switch (type) {
        case CommandType::Basic:
            return new BasicViewpointCommandCommon(this);
        case CommandType::Sort:
            return new SortViewpointCommandCommon(this);
        case CommandType::Transaction:
            return new TransactionCommandCommon(this);
        case CommandType::Filter:
            return new FilterViewpointCommandCommon(this);
        // The calculated-member, format, style, expression, sides-constraints and
        // subtotal commands are built here once their classes exist; kinds 1 and 7 belong to
        // providers that override this.
        default:
            throw_error(kNotBuiltHere);
    }
}

bool ViewpointCommon::isCommandSupported(CommandType type) {
    return is_command_supported(type);
}

bool ViewpointCommon::is_command_supported(CommandType type) {
    if (!fDerivedViewpoint) {
        throw_error(kNotConnected);
    }
    switch (type) {
        case CommandType::Basic:
        case CommandType::Sort:
        case CommandType::Filter:
        case CommandType::CalculateMember:
        case CommandType::Format:
        case CommandType::Transaction:
        case CommandType::Style:
        case CommandType::Expression:
        case CommandType::SidesConstraints:
        case CommandType::SubTotal:
            return true;
        default:
            return fDerivedViewpoint->isCommandSupported(static_cast<LONG>(type));
    }
}

// Linking makes the viewpoint copy its base's layout again; unlinking gives it its own copy of
// the layout it showed. Either way the viewpoint and the children that copy its layout take
// the new one and tell their listeners that every axis changed.
void ViewpointCommon::doSetAxisLinkMode(ZELT_o::LinkMode mode) {
    if (mode < ZELT_o::kLinkOwn || mode > ZELT_o::kLinkBase) {
        throwResult(E_INVALIDARG);
    }
    if (mode != ZELT_o::kLinkOwn && !fBaseViewpoint) {
        throw_error(kNoBaseToLink);
    }
    auto self = keep_alive();
    if (mode == ZELT_o::kLinkOwn) {
        if (ViewpointCommon* owner = layout_owner(); owner != this) {
            copy_layout_from(*owner);
        }
        fCopyParentOrientation = false;
    } else {
        fCopyParentOrientation = true;
    }

    class Relink : public ViewpointVisitor {
    public:
        bool visit(ViewpointCommon& viewpoint, ViewpointModifier&, bool isRoot) override {
            if (!isRoot && !viewpoint.forwards_layout()) {
                return false;
            }
            if (ViewpointCommon* owner = viewpoint.layout_owner(); owner != &viewpoint) {
                viewpoint.copy_layout_from(*owner);
            }
            viewpoint.dirty_viewpoint();
            viewpoint.queue_every_axis_changed();
            viewpoint.queueEvent(CellChangeEvent());
            viewpoint.queueEvent(ViewpointChangeEvent());
            return true;
        }
    } relink;
    visitTree(relink);
    fChangedSinceLastPersist = true;
    sendEvents();
}

}  // namespace common
