#include <sqlcube/Errors.h>

#include <basekit/BaseError.h>

namespace sqlcube {

void raise(ErrorCode code, std::string const& insert1, std::string const& insert2) {
    BaseError error(code, kModule, 1, 0);
    if (!insert1.empty() || !insert2.empty()) {
        error.addInsert(insert1);
    }
    if (!insert2.empty()) {
        error.addInsert(insert2);
    }
    throw error;
}

}  // namespace sqlcube
