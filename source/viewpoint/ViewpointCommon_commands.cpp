// Commands handed out by the viewpoint (being written).
#include <basekit/BaseError.h>
#include <pova/common/ViewpointCommon.h>

namespace common {

ZELT_o::ViewpointCommand* ViewpointCommon::createCommand(CommandType /*type*/) {
    throwResult(E_NOTIMPL);
}

bool ViewpointCommon::isCommandSupported(CommandType type) {
    return is_command_supported(type);
}

bool ViewpointCommon::is_command_supported(CommandType /*type*/) {
    throwResult(E_NOTIMPL);
}

void ViewpointCommon::doSetAxisLinkMode(ZELT_o::LinkMode mode) {
    setAxisLinkMode(mode);
}

}  // namespace common
