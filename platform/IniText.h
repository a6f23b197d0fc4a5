// The INI text format in memory: finding a value, listing section names and
// producing the text with one value set. Files are read and written elsewhere
// (platform/IniFile.h); everything here works on UTF-8 bytes held by the caller.
//
// Format. Lines end in LF or CR LF; a UTF-8 byte-order mark at the start is
// skipped. A section line is a line whose first character other than blanks
// and tabs is "[" and that has a "]" after it; the section name runs from the
// first "[" to the last "]" of the line, taken as it stands. Within a section,
// a key line is "key=value": the key is what precedes the first "=", the value
// what follows it, each with blanks and tabs around it removed. Lines that are
// neither, and key lines before the first section, are ignored. Section and
// key names match without regard to letter case (Unicode simple mapping); the
// first matching section and, within it, the first matching key count.
//
// Pure functions; thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The raw UTF-8 value of key in section, or nullopt when either is missing.
// The returned view points into text.
std::optional<std::string_view> FindIniValue(std::string_view text, std::wstring_view section, std::wstring_view key);

// Every section name of text, in order of appearance (repeated names repeat).
std::vector<std::wstring> IniSectionNames(std::string_view text);

// text with key of section set to value: the key's first line in the section
// is replaced, else a key line is added at the end of the section, else the
// section is appended. New lines use the line ending that text already uses
// (CR LF for text without one). nullopt when text already holds that value.
// The caller has made sure that section, key and value can stand in a line.
std::optional<std::string> SetIniValue(std::string_view text, std::wstring_view section, std::wstring_view key,
                                       std::wstring_view value);

// True when section, key and value can be written without changing the
// file's structure: none holds CR, LF or NUL, and the key is not empty,
// holds no "=", does not start with "[" and has no blanks or tabs around it.
bool IsWritableIniEntry(std::wstring_view section, std::wstring_view key, std::wstring_view value);

}  // namespace platform
