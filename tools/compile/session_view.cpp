// The address context of a filter session, read off the session's record. The
// tools reach that record here, and in explain, which reads the result table.
#include "tools/compile/session_view.h"

#include "filter/session.h"

namespace vantir::tools {

AddressContext SessionAddressContext(const FilterSession* session) {
    return AddressContextOf(session);
}

bool SessionHasPostal(const FilterSession* session) {
    return session->postalBlob != nullptr;
}

}  // namespace vantir::tools
