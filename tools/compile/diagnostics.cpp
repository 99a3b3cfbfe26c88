// Formatting of located error and warning messages, quoting of echoed names,
// and the holding back of repeated warnings.
// Errors are thrown as ToolError and turned into exit codes by the command line.
#include "tools/compile/diagnostics.h"

#include <cstring>

namespace vantir::tools {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

void AppendEscaped(char byte, std::string& out) {
    const auto unit = static_cast<unsigned char>(byte);
    if (unit == 0) {
        out += "\\0";
    } else if (unit < 0x20 || unit == 0x7F) {
        out += "\\x";
        out += kHexDigits[unit >> 4];
        out += kHexDigits[unit & 0xF];
    } else {
        out += byte;
    }
}

// Code points that print as nothing or reorder what follows (zero-width
// spaces and joiners, direction marks and overrides, the word joiner, a byte
// order mark inside the text): a name holding one would look like another.
bool IsInvisible(char32_t point) {
    return (point >= 0x200B && point <= 0x200F) || (point >= 0x2028 && point <= 0x202E) ||
           (point >= 0x2060 && point <= 0x2064) || point == 0xFEFF;
}

// The code point of the three-byte UTF-8 sequence at `at`, or 0 when there is none.
char32_t ThreeByteCodePoint(std::string_view text, size_t at) {
    if (at + 3 > text.size()) return 0;
    const auto lead = static_cast<unsigned char>(text[at]);
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    if ((lead & 0xF0) != 0xE0 || (second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) return 0;
    return (char32_t{lead & 0x0Fu} << 12) | (char32_t{second & 0x3Fu} << 6) | (third & 0x3Fu);
}

void AppendCodePoint(char32_t point, std::string& out) {
    constexpr char kUpperHexDigits[] = "0123456789ABCDEF";  // as code points are written
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kUpperHexDigits[(point >> shift) & 0xF];
}

}  // namespace

std::string Located(const std::string& file, int32_t line, const std::string& what) {
    if (line <= 0) return file + ": " + what;
    return file + ":" + std::to_string(line) + ": " + what;
}

void Fail(const std::string& file, int32_t line, const std::string& what) {
    throw ToolError(Located(file, line, what));
}

void FailOnFile(const std::string& file, const std::string& what, int error) {
    throw FileError(Located(file, 0, what + ": " + std::strerror(error)), error, file);
}

std::string Counted(int64_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string Shown(std::string_view name) {
    std::string out = "'";
    size_t characters = 0;
    bool cut = false;
    for (size_t at = 0; at < name.size(); ++at) {
        const char byte = name[at];
        if (StartsCharacter(byte)) {
            if (characters == kShownNameChars) cut = true;
            ++characters;
        }
        if (const char32_t point = ThreeByteCodePoint(name, at); IsInvisible(point)) {
            if (!cut) AppendCodePoint(point, out);
            at += 2;
            continue;
        }
        if (!cut) AppendEscaped(byte, out);
    }
    out += cut ? "...'" : "'";
    const bool holdsNul = name.find('\0') != std::string_view::npos;
    if (cut || holdsNul) {
        out += " (";
        if (cut) out += std::to_string(characters) + " characters";
        if (cut && holdsNul) out += ", ";
        if (holdsNul) out += "holds a NUL character";
        out += ")";
    }
    return out;
}

void Diagnostics::Warn(const std::string& file, int32_t line, const std::string& what) {
    Warn(file, line, what, {});
}

void Diagnostics::Warn(const std::string& file, int32_t line, const std::string& what,
                       const std::string& kind) {
    ++warnings;
    const std::string key = file + '\n' + what;
    if (const auto found = seen_.find(key); found != seen_.end()) {
        ++held_[found->second].count;
        return;
    }
    if (!kind.empty() && ++shownOfKind_[file + '\n' + kind] > kShownPerKind) {
        const auto [at, added] = kinds_.emplace(file + '\n' + kind, held_.size());
        if (added) held_.push_back({file, kind, line, 0, true});
        ++held_[at->second].count;
        return;
    }
    seen_.emplace(key, held_.size());
    held_.push_back({file, what, line, 0, false});
    if (stream != nullptr) *stream << "warning: " << Located(file, line, what) << '\n';
}

void Diagnostics::Summarise() {
    for (const Held& held : held_) {
        if (held.count == 0 || stream == nullptr) continue;
        *stream << "warning: " << held.file << ": ";
        if (held.ofKind) {
            *stream << held.count << " more warnings not shown: " << held.what
                    << " (the first at line " << held.firstLine << ")\n";
        } else {
            *stream << "repeated " << held.count
                    << (held.count == 1 ? " more time" : " more times");
            if (held.firstLine > 0) *stream << " after line " << held.firstLine;
            *stream << ": " << held.what << '\n';
        }
    }
    seen_.clear();
    kinds_.clear();
    shownOfKind_.clear();
    held_.clear();
}

}  // namespace vantir::tools
