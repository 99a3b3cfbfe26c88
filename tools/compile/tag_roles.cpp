// Table of tag codes and role names used by the vocabulary reader, inspect and
// explain. The codes are stored in the address database.
#include "tools/compile/tag_roles.h"

#include <charconv>

namespace vantir::tools {

namespace {

constexpr int kMaxTagCode = 255;

constexpr TagRole kRoles[] = {
    {0, "fallback", "whole result when no address head is found"},
    {5, "head-opener", "opens a head; an opener-follower may come next"},
    {6, "bound-head-opener", "opens a head only before a lower-head word"},
    {7, "opener-follower", "second head word after a head-opener"},
    {8, "lower-head", "one-word head; its upper region is completed from the region pairs"},
    {17, "completion-trigger", "word after a head that sends it to region completion"},
    {18, "bare-first-key", "first segment alone, if it may follow the last head word"},
    {19, "first-key", "closes a first segment after optional prefixes"},
    {20, "bare-second-key", "second segment alone"},
    {21, "second-key", "closes a second segment after optional prefixes"},
    {22, "third-lead", "optional first part of a third segment"},
    {23, "third-key", "closes a third segment"},
    {24, "second-prefix", "number word before a segment key"},
    {25, "first-prefix", "first number word before a segment key"},
    {32, "closing", "ends the address; its last character is dropped from the text"},
    {33, "upper-head", "upper region (county or city); opens a head"},
    {34, "upper-follower", "second head word after an upper-head word"},
};

}  // namespace

std::span<const TagRole> TagRoles() {
    return kRoles;
}

const TagRole* FindTagRole(uint8_t code) {
    for (const TagRole& role : kRoles) {
        if (role.code == code) return &role;
    }
    return nullptr;
}

std::optional<uint8_t> ParseTag(std::string_view text) {
    if (text.empty()) return std::nullopt;
    if (text.front() >= '0' && text.front() <= '9') {
        int value = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
        if (value < 0 || value > kMaxTagCode) return std::nullopt;
        return static_cast<uint8_t>(value);
    }
    for (const TagRole& role : kRoles) {
        if (role.name == text) return role.code;
    }
    return std::nullopt;
}

std::string TagName(uint8_t code) {
    const TagRole* role = FindTagRole(code);
    return role != nullptr ? std::string(role->name) : std::to_string(code);
}

}  // namespace vantir::tools
