// The weighted edit distance of two names and the first-word swap.
//
// GetDifference fills the distance table row by row, keeping only the
// previous and the current row. Everything that depends on one character
// alone (its class, its case-folded form, whether it lies inside brackets) is
// worked out once per name before the table is filled, so the inner loop is
// float additions and comparisons only.
#include "search/NameMatcher.h"

#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/Unicode.h"

namespace {

enum : int { kPunctuation = 0, kDigit = 1, kOther = 2, kBlank = 3, kNone = 4 };

// Row: class of the character from the first name; column: from the second.
constexpr float kCost[5][5] = {
    {20, 25, 25, 10, 30},
    {25, 20, 60, 15, 20},
    {25, 60, 100, 70, 70},
    {10, 15, 70, 1, 5},
    {30, 20, 70, 5, 0},
};

struct BracketPair {
    wchar_t open;
    wchar_t close;
};
constexpr BracketPair kBrackets[4] = {{L'(', L')'}, {L'[', L']'}, {L'{', L'}'}, {L'<', L'>'}};

// True when index lies between an opening bracket of pair at or before it and
// a closing one at or after it, unless those are the name's first and last
// characters. The nearest brackets are the ones looked for: when the nearest
// pair is the outermost one, no other pair can qualify either.
bool InsidePair(std::wstring_view name, size_t index, const BracketPair& pair) {
    if (index >= name.size()) return false;
    size_t p = index + 1;
    while (p-- > 0)
        if (name[p] == pair.open) break;
    if (p > index) return false;  // wrapped: no opening bracket
    size_t q = index;
    while (q < name.size() && name[q] != pair.close) ++q;
    if (q == name.size()) return false;
    return !(p == 0 && q == name.size() - 1);
}

// Scratch space that lives on the stack for names of ordinary length and on
// the heap for longer ones.
template <typename T>
class Scratch {
public:
    explicit Scratch(size_t size) {
        if (size > kInline) {
            m_heap.resize(size);
            m_data = m_heap.data();
        } else {
            m_data = m_inline;
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }

private:
    static constexpr size_t kInline = 96;
    T m_inline[kInline];
    std::vector<T> m_heap;
    T* m_data;
};

// Per-character facts about one trimmed name.
struct NameFacts {
    explicit NameFacts(size_t n) : folded(n), charClass(n), inside(n) {}
    Scratch<wchar_t> folded;
    Scratch<unsigned char> charClass;
    Scratch<unsigned char> inside;
};

std::wstring_view Trimmed(const CString& text) {
    std::wstring_view view(text.str());
    size_t begin = 0;
    size_t end = view.size();
    while (begin < end && platform::IsSpace(view[begin])) ++begin;
    while (end > begin && platform::IsSpace(view[end - 1])) --end;
    return view.substr(begin, end - begin);
}

// The classes of the ASCII characters, the common case, looked up at once.
constexpr std::array<unsigned char, 128> MakeAsciiClasses() {
    std::array<unsigned char, 128> classes{};
    for (int ch = 0; ch < 128; ++ch) {
        if (ch == 0) classes[ch] = kNone;
        else if (ch >= '0' && ch <= '9') classes[ch] = kDigit;
        else if (ch == ' ' || ch == 0x08 || ch == 0x0B) classes[ch] = kBlank;
        else if ((ch >= 0x21 && ch <= 0x2F) || (ch >= 0x3A && ch <= 0x3F) || (ch >= 0x5B && ch <= 0x5F) ||
                 (ch >= 0x7B && ch <= 0x7E))
            classes[ch] = kPunctuation;
        else classes[ch] = kOther;
    }
    return classes;
}
constexpr std::array<unsigned char, 128> kAsciiClasses = MakeAsciiClasses();

inline int ClassOf(wchar_t ch) {
    return (ch >= 0 && ch < 0x80) ? static_cast<int>(kAsciiClasses[static_cast<size_t>(ch)]) : static_cast<int>(kOther);
}

inline wchar_t Fold(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
    return platform::ToUpper(ch);
}

void Describe(std::wstring_view name, bool caseSensitive, NameFacts& facts) {
    const size_t n = name.size();
    unsigned openings = 0;  // bit p: the opening bracket of pair p occurs
    for (size_t k = 0; k < n; ++k) {
        const wchar_t ch = name[k];
        facts.folded[k] = caseSensitive ? ch : Fold(ch);
        facts.charClass[k] = static_cast<unsigned char>(ClassOf(ch));
        facts.inside[k] = 0;
        if (ch < 0x80 && facts.charClass[k] == kPunctuation)
            for (unsigned p = 0; p < 4; ++p)
                if (ch == kBrackets[p].open) openings |= 1u << p;
    }
    if (openings == 0) return;
    // For each pair that can occur: the nearest opening bracket at or before
    // k (forward pass), then the nearest closing bracket at or after k
    // (backward pass).
    constexpr size_t kNoPos = std::numeric_limits<size_t>::max();
    Scratch<size_t> lastOpen(n);
    for (unsigned p = 0; p < 4; ++p) {
        if ((openings & (1u << p)) == 0) continue;
        const BracketPair& pair = kBrackets[p];
        size_t open = kNoPos;
        for (size_t k = 0; k < n; ++k) {
            if (name[k] == pair.open) open = k;
            lastOpen[k] = open;
        }
        size_t close = kNoPos;
        for (size_t k = n; k-- > 0;) {
            if (name[k] == pair.close) close = k;
            if (lastOpen[k] != kNoPos && close != kNoPos && !(lastOpen[k] == 0 && close == n - 1))
                facts.inside[k] = 1;
        }
    }
}

}  // namespace

CNameMatcher::CNameMatcher(bool caseSensitive) : m_fBracketFactor(0.1f), m_bCaseSensitive(caseSensitive ? 1 : 0) {}

int CNameMatcher::GetCharClass(wchar_t ch) { return ClassOf(ch); }

float CNameMatcher::GetCharCost(wchar_t a, wchar_t b) { return kCost[GetCharClass(a)][GetCharClass(b)]; }

bool CNameMatcher::IsInsideBrackets(const CString& first, const CString& second, int i, int j) {
    for (const BracketPair& pair : kBrackets) {
        if (i >= 0 && InsidePair(first.str(), static_cast<size_t>(i), pair)) return true;
        if (j >= 0 && InsidePair(second.str(), static_cast<size_t>(j), pair)) return true;
    }
    return false;
}

float CNameMatcher::GetDifference(const CString& first, const CString& second) const {
    return Compute(first, second, std::numeric_limits<float>::infinity());
}

float CNameMatcher::GetDifferenceBelow(const CString& first, const CString& second, float threshold) const {
    return Compute(first, second, threshold);
}

float CNameMatcher::Compute(const CString& first, const CString& second, float threshold) const {
    std::wstring_view a = Trimmed(first);
    std::wstring_view b = Trimmed(second);
    // The table is symmetric and so is the bracket rule, so the result does
    // not change when the names change places; the shorter one spans the rows
    // kept in memory.
    if (b.size() > a.size()) std::swap(a, b);
    const size_t n = a.size();
    const size_t m = b.size();

    NameFacts fa(n);
    NameFacts fb(m);
    Describe(a, m_bCaseSensitive != 0, fa);
    Describe(b, m_bCaseSensitive != 0, fb);

    // Costs inside brackets: each product rounded to float once, here.
    float scaled[5][5];
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) scaled[r][c] = kCost[r][c] * m_fBracketFactor;

    // Insertion costs of the second name's characters, plain and scaled.
    Scratch<float> insertPlain(m + 1);
    Scratch<float> insertScaled(m + 1);
    for (size_t j = 0; j < m; ++j) {
        insertPlain[j + 1] = kCost[kNone][fb.charClass[j]];
        insertScaled[j + 1] = scaled[kNone][fb.charClass[j]];
    }

    Scratch<float> rowA(m + 1);
    Scratch<float> rowB(m + 1);
    float* prev = &rowA[0];
    float* cur = &rowB[0];
    prev[0] = 0.0f;
    for (size_t j = 1; j <= m; ++j) prev[j] = prev[j - 1] + insertPlain[j];

    const bool canStopEarly = m_fBracketFactor >= 0.0f;
    for (size_t i = 1; i <= n; ++i) {
        const int ca = fa.charClass[i - 1];
        const wchar_t ua = fa.folded[i - 1];
        const bool insideA = fa.inside[i - 1] != 0;
        const float* replacePlain = kCost[ca];
        const float* replaceScaled = scaled[ca];
        const float deletePlain = kCost[ca][kNone];
        const float deleteScaled = scaled[ca][kNone];

        cur[0] = prev[0] + deletePlain;
        float rowMin = cur[0];
        for (size_t j = 1; j <= m; ++j) {
            const int cb = fb.charClass[j - 1];
            float replace;
            float remove;
            float insert;
            if (ua == fb.folded[j - 1]) {
                replace = 0.0f;
                remove = deletePlain;
                insert = insertPlain[j];
            } else if (insideA || fb.inside[j - 1]) {
                replace = replaceScaled[cb];
                remove = deleteScaled;
                insert = insertScaled[j];
            } else {
                replace = replacePlain[cb];
                remove = deletePlain;
                insert = insertPlain[j];
            }
            float best = prev[j - 1] + replace;
            const float viaDelete = prev[j] + remove;
            if (viaDelete < best) best = viaDelete;
            const float viaInsert = cur[j - 1] + insert;
            if (viaInsert < best) best = viaInsert;
            cur[j] = best;
            if (best < rowMin) rowMin = best;
        }
        // With costs that are never negative, the final value is at least
        // the smallest value of any row: once that reaches the threshold, the
        // names cannot come out below it.
        if (canStopEarly && !(rowMin < threshold)) return rowMin;
        std::swap(prev, cur);
    }
    return prev[m];
}

CString SwapFirstWord(const CString& name) {
    const int blank = name.Find(L' ');
    if (blank < 0) return name;
    CString result = name.Mid(blank) + L" " + name.Left(blank);
    result.TrimLeft(L' ');
    return result;
}
