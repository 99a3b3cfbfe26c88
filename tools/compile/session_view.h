// The tooling's one window on the filter session's record: the address layer's
// context of a session, for tools that run the library's address routines.
#ifndef VANTIR_TOOLS_SESSION_VIEW_H
#define VANTIR_TOOLS_SESSION_VIEW_H

#include "address/address_context.h"
#include "vantir/vantir.h"

namespace vantir::tools {

// The database view, lexicon and model that the session's intake works with,
// scored and indexed as the session's options and state make them. Borrowed:
// valid while the session lives and its lexicon and model are not edited.
// Tools that need no more of the session than this stay off its record, whose
// layout is the filter's own business.
AddressContext SessionAddressContext(const FilterSession* session);

// True when a postal blob is attached to the session.
bool SessionHasPostal(const FilterSession* session);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_SESSION_VIEW_H
