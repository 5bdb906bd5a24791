// Our reader of INI settings files, behaving as the Windows profile reader does on the files shows are
// prepared with: the first matching section and key win, names match ignoring ASCII case after trimming
// blanks, values lose their surrounding blanks and one pair of enclosing quotes, and no byte of a GBK
// double-byte character is ever taken for syntax.
#pragma once

#include <string>
#include <string_view>

#include "show/text.h"

namespace heartstage {

// A value arrives in a buffer of this many bytes, one of them the terminator.
inline constexpr std::size_t kProfileValueBufferSize = 10240;

// The value of `key` in `section` of the profile held in `content`, or `default_value` (trailing blanks
// removed) when the section or key is absent. A key present with an empty value gives the empty text.
Text ReadProfileValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view default_value);

// The same, reading the file at `path` afresh; a missing or unreadable file gives the default.
Text ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view default_value);

}  // namespace heartstage
