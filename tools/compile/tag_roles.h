// The tag codes that the address grammar gives a role, with the role names that
// vocabulary sources may use instead of the numbers.
#ifndef VANTIR_TOOLS_TAG_ROLES_H
#define VANTIR_TOOLS_TAG_ROLES_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantir::tools {

struct TagRole {
    uint8_t code;
    std::string_view name;     // as written in vocabulary sources
    std::string_view meaning;  // one line for help texts and explanations
};

// Every tag with a role, in ascending code order.
std::span<const TagRole> TagRoles();

// The role of a code, or null for a code without one.
const TagRole* FindTagRole(uint8_t code);

// A tag written as a decimal number 0-255 or as a role name.
std::optional<uint8_t> ParseTag(std::string_view text);

// "name" for a code with a role, else the number.
std::string TagName(uint8_t code);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_TAG_ROLES_H
