// INI text parsing and editing over UTF-8 bytes.
//
// Names are compared without decoding where that is safe: equal bytes match,
// and two ASCII bytes decide by ASCII case. Only where a non-ASCII byte meets
// a different byte are both names decoded and compared by Unicode case
// mapping. Cache files hold thousands of sections, so the scans stay linear
// and allocate nothing per line.
#include "platform/IniText.h"

#include <cstring>

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace platform {
namespace {

struct Line {
    std::string_view content;  // without the line ending
    size_t begin = 0;          // offset of the line in the text
    size_t next = 0;           // offset just past its line ending
};

// Walks the lines of text, skipping a leading byte-order mark.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
    }
    bool Next(Line& line) {
        if (m_pos >= m_text.size()) return false;
        const char* start = m_text.data() + m_pos;
        const void* newline = std::memchr(start, '\n', m_text.size() - m_pos);
        const size_t end =
            newline ? static_cast<size_t>(static_cast<const char*>(newline) - m_text.data()) : m_text.size();
        size_t contentEnd = end;
        if (contentEnd > m_pos && m_text[contentEnd - 1] == '\r') --contentEnd;
        line.content = m_text.substr(m_pos, contentEnd - m_pos);
        line.begin = m_pos;
        line.next = newline ? end + 1 : end;
        m_pos = line.next;
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The section name of a section line.
bool SectionName(std::string_view line, std::string_view& name) {
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size() || line[first] != '[') return false;
    const size_t last = line.rfind(']');
    if (last == std::string_view::npos || last <= first) return false;
    name = line.substr(first + 1, last - first - 1);
    return true;
}

// The key and value of a key line.
bool KeyAndValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = TrimBlanks(line.substr(0, eq));
    value = TrimBlanks(line.substr(eq + 1));
    return true;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// A name to look for, kept both as UTF-8 and as wide text.
class WantedName {
public:
    explicit WantedName(std::wstring_view name) : m_wide(name), m_utf8(ToUtf8(name)) {}

    bool Matches(std::string_view candidate) const {
        const std::string_view want(m_utf8);
        const size_t common = want.size() < candidate.size() ? want.size() : candidate.size();
        for (size_t k = 0; k < common; ++k) {
            const char x = want[k];
            const char y = candidate[k];
            if (x == y) continue;
            if ((x & 0x80) == 0 && (y & 0x80) == 0) {
                if (AsciiUpper(x) == AsciiUpper(y)) continue;
                return false;
            }
            return EqualNoCase(m_wide, FromUtf8(candidate));
        }
        return want.size() == candidate.size();
    }

private:
    std::wstring_view m_wide;
    std::string m_utf8;
};

// The first section line named section; fills its line and returns true.
bool FindSection(LineReader& reader, const WantedName& section, Line& header) {
    std::string_view name;
    while (reader.Next(header))
        if (SectionName(header.content, name) && section.Matches(name)) return true;
    return false;
}

// name decoded from UTF-8; plain ASCII, the common case, is widened directly.
std::wstring Widen(std::string_view name) {
    for (const char c : name)
        if (c & 0x80) return FromUtf8(name);
    return std::wstring(name.begin(), name.end());
}

}  // namespace

std::optional<std::string_view> FindIniValue(std::string_view text, std::wstring_view section, std::wstring_view key) {
    LineReader reader(text);
    Line line;
    if (!FindSection(reader, WantedName(section), line)) return std::nullopt;
    const WantedName wantedKey(key);
    std::string_view name;
    std::string_view value;
    while (reader.Next(line)) {
        if (SectionName(line.content, name)) break;
        if (KeyAndValue(line.content, name, value) && wantedKey.Matches(name)) return value;
    }
    return std::nullopt;
}

std::vector<std::wstring> IniSectionNames(std::string_view text) {
    std::vector<std::wstring> names;
    LineReader reader(text);
    Line line;
    std::string_view name;
    while (reader.Next(line))
        if (SectionName(line.content, name)) names.push_back(Widen(name));
    return names;
}

std::optional<std::string> SetIniValue(std::string_view text, std::wstring_view section, std::wstring_view key,
                                       std::wstring_view value) {
    const std::string utf8Value = ToUtf8(value);
    const size_t valueLength = utf8Value.size();
    const std::string keyLine = ToUtf8(key) + "=" + utf8Value;

    // The file's own line ending, taken from its first line.
    std::string eol = "\r\n";
    const size_t firstNewline = text.find('\n');
    if (firstNewline != std::string_view::npos && (firstNewline == 0 || text[firstNewline - 1] != '\r')) eol = "\n";

    LineReader reader(text);
    Line line;
    if (!FindSection(reader, WantedName(section), line)) {
        std::string out(text);
        if (!out.empty() && out.back() != '\n') out += eol;
        out += "[" + ToUtf8(section) + "]" + eol + keyLine + eol;
        return out;
    }

    // Within the section: replace the key's line, or insert after the last
    // line that is not empty, so blank separator lines stay where they are.
    const WantedName wantedKey(key);
    size_t insertAt = line.next;
    bool endsWithNewline = line.next > line.begin && text[line.next - 1] == '\n';
    const std::string_view newValue = std::string_view(keyLine).substr(keyLine.size() - valueLength);
    std::string_view name;
    std::string_view current;
    while (reader.Next(line)) {
        if (SectionName(line.content, name)) break;
        if (KeyAndValue(line.content, name, current) && wantedKey.Matches(name)) {
            if (current == newValue) return std::nullopt;
            std::string out;
            out.reserve(text.size() + keyLine.size());
            out.append(text.substr(0, line.begin));
            out.append(keyLine);
            out.append(text.substr(line.begin + line.content.size()));
            return out;
        }
        if (!TrimBlanks(line.content).empty()) {
            insertAt = line.next;
            endsWithNewline = line.next > line.begin && text[line.next - 1] == '\n';
        }
    }
    std::string out;
    out.reserve(text.size() + keyLine.size() + 2 * eol.size());
    out.append(text.substr(0, insertAt));
    if (!endsWithNewline) out += eol;
    out.append(keyLine);
    out.append(eol);
    out.append(text.substr(insertAt));
    return out;
}

bool IsWritableIniEntry(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    constexpr std::wstring_view kLineBreaks(L"\r\n\0", 3);
    if (section.find_first_of(kLineBreaks) != std::wstring_view::npos) return false;
    if (key.find_first_of(kLineBreaks) != std::wstring_view::npos) return false;
    if (value.find_first_of(kLineBreaks) != std::wstring_view::npos) return false;
    if (key.empty() || key.find(L'=') != std::wstring_view::npos || key.front() == L'[') return false;
    if (key.front() == L' ' || key.front() == L'\t' || key.back() == L' ' || key.back() == L'\t') return false;
    return true;
}

}  // namespace platform
