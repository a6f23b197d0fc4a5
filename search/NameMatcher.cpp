// The weighted edit distance of two names and the first-word swap.
//
// GetDifference fills the distance table row by row, keeping only the
// previous and the current row. Everything that depends on one character
// alone (its class, its case-folded form, whether it lies inside brackets) is
// worked out once per name before the table is filled, so the inner loop is
// float additions and comparisons only.
//
// GetDifferenceBelow fills only a band of diagonals around the one that
// leads to the last cell: with the cheapest insertion or deletion costing c,
// a value below threshold T cannot come from cells more than about T / c
// columns off it. The names' characters decide c: 5 for a blank, 20 a digit,
// 30 punctuation, 70 anything else, and a tenth of that when either name has
// a bracketed part, so 0.5 at the least (a blank inside brackets) and the band
// is at most 2 T + 1 columns wide (one more for each U+0000, which costs
// nothing). Names whose lengths differ by more than the band allows are not
// compared at all.
#include "search/NameMatcher.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/Unicode.h"

namespace {

enum : int { kPunctuation = 0, kDigit = 1, kOther = 2, kBlank = 3, kNone = 4 };

// Row: class of the character from the first name; column: from the second.
constexpr float kCost[5][5] = {
    {20, 25, 25, 10, 30}, {25, 20, 60, 15, 20}, {25, 60, 100, 70, 70}, {10, 15, 70, 1, 5}, {30, 20, 70, 5, 0},
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
// How many characters of each class a name holds.
using ClassCounts = std::array<size_t, 5>;

struct NameFacts {
    explicit NameFacts(size_t n) : folded(n), charClass(n), inside(n) {}
    Scratch<wchar_t> folded;
    Scratch<unsigned char> charClass;
    Scratch<unsigned char> inside;
    ClassCounts counts{};
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
    const auto code = static_cast<unsigned long>(ch);  // wchar_t is signed on some systems
    return code < 0x80 ? static_cast<int>(kAsciiClasses[code]) : static_cast<int>(kOther);
}

inline wchar_t Fold(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
    return platform::ToUpper(ch);
}

// Fills facts for name; true when any of its characters lies inside brackets.
bool Describe(std::wstring_view name, bool caseSensitive, NameFacts& facts) {
    const size_t n = name.size();
    unsigned openings = 0;  // bit p: the opening bracket of pair p occurs
    for (size_t k = 0; k < n; ++k) {
        const wchar_t ch = name[k];
        facts.folded[k] = caseSensitive ? ch : Fold(ch);
        facts.charClass[k] = static_cast<unsigned char>(ClassOf(ch));
        ++facts.counts[facts.charClass[k]];
        facts.inside[k] = 0;
        if (ch < 0x80 && facts.charClass[k] == kPunctuation)
            for (unsigned p = 0; p < 4; ++p)
                if (ch == kBrackets[p].open) openings |= 1u << p;
    }
    if (openings == 0) return false;
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
            if (lastOpen[k] != kNoPos && close != kNoPos && !(lastOpen[k] == 0 && close == n - 1)) facts.inside[k] = 1;
        }
    }
    for (size_t k = 0; k < n; ++k)
        if (facts.inside[k]) return true;
    return false;
}

// The cells of the table that can matter below a threshold: in row i, the
// columns from i - (n - m) - spread to i + spread (n >= m), or none at all.
//
// Why this is safe. A chain of steps from D[0][0] through D[i][j] to D[n][m]
// makes at least |j - i| + |(m - n) - (j - i)| insertions and deletions, and
// so at least n - m. No step adds a negative cost, and an insertion or
// deletion of any character that costs something at all adds at least
// `least`, the smallest such cost that the two names can give (plain, or
// scaled by the bracket factor when either name has a bracketed part).
// Rounding to float is monotonic, so a chain with k such steps ends at or
// above least added to 0 k times in float. If that sum reaches the threshold
// after `reach` additions, a value below the threshold comes only from chains
// with at most reach - 1 + free insertions and deletions, where free counts
// the characters that cost nothing to insert or delete (U+0000, and with a
// bracket factor of 0 every character when brackets occur). Every cell
// off those chains can be left out: the cells kept still hold their exact
// values wherever such a chain passes, and never less than exact elsewhere.
struct Band {
    bool empty;     // no value below the threshold is possible
    float floor;    // when empty: a value not below the threshold
    size_t spread;  // how far the kept columns reach beyond the n - m forced ones
};

// Class counts that no two names of total characters, nuls of them U+0000,
// can undercut: every other character taken to be of the class that is
// cheapest to insert or delete, inside brackets or not.
ClassCounts CheapestCounts(size_t total, size_t nuls, const float (&scaled)[5][5]) {
    size_t cheapest = kBlank;
    float least = std::numeric_limits<float>::infinity();
    for (size_t c = 0; c < kNone; ++c) {
        const float cost = std::min(kCost[c][kNone], scaled[c][kNone]);
        if (cost < least) {
            least = cost;
            cheapest = c;
        }
    }
    ClassCounts counts{};
    counts[kNone] = nuls;
    counts[cheapest] = total - nuls;
    return counts;
}

// The band for names of n >= m characters with the given class counts;
// bracketed: whether scaled costs can occur (a character of either name lies
// inside brackets). Assuming bracketed when it is not gives a wider band,
// never a wrong one.
Band BandFor(const ClassCounts& first, size_t n, const ClassCounts& second, size_t m, bool bracketed,
             const float (&scaled)[5][5], float threshold) {
    const Band everything{false, 0.0f, m};
    if (!(threshold > 0.0f)) return Band{true, 0.0f, 0};  // no value is below 0

    float least = std::numeric_limits<float>::infinity();
    size_t free = 0;
    for (size_t c = 0; c < 5; ++c) {
        const size_t count = first[c] + second[c];
        if (count == 0) continue;
        float cost = kCost[c][kNone];
        if (bracketed && scaled[c][kNone] < cost) cost = scaled[c][kNone];
        if (cost > 0.0f) {
            if (cost < least) least = cost;
        } else {
            free += count;
        }
    }
    // No chain makes more than n + m insertions and deletions: when the
    // threshold lies further out than that, every cell may matter. (A rough
    // test first, so that short names at a high threshold pay nothing.)
    const size_t most = n + m;
    if (!(static_cast<double>(threshold) / least <= static_cast<double>(most) + 2.0)) return everything;
    float sum = 0.0f;
    size_t reach = 0;
    while (!(sum >= threshold)) {
        if (reach > most) return everything;
        sum += least;
        ++reach;
    }
    const size_t allowed = reach - 1 + free;
    const size_t forced = n - m;
    if (forced > allowed) return Band{true, sum, 0};
    return Band{false, 0.0f, std::min(m, (allowed - forced) / 2)};
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

    // Costs inside brackets: each product rounded to float once, here.
    float scaled[5][5];
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) scaled[r][c] = kCost[r][c] * m_fBracketFactor;

    // The band, first for the cheapest characters there could be, so that
    // names too far apart in length are answered before anything is worked
    // out per character; then for the names' own characters. Costs that could
    // be negative or not a number leave every cell in.
    Band band{false, 0.0f, m};
    const bool banded = threshold < std::numeric_limits<float>::infinity() && m_fBracketFactor >= 0.0f &&
                        m_fBracketFactor < std::numeric_limits<float>::infinity();
    if (banded) {
        const size_t nuls =
            static_cast<size_t>(std::count(a.begin(), a.end(), L'\0') + std::count(b.begin(), b.end(), L'\0'));
        band = BandFor(CheapestCounts(n + m, nuls, scaled), n, ClassCounts{}, m, true, scaled, threshold);
        if (band.empty) return band.floor;
    }

    NameFacts fa(n);
    NameFacts fb(m);
    const bool bracketedA = Describe(a, m_bCaseSensitive != 0, fa);
    const bool bracketedB = Describe(b, m_bCaseSensitive != 0, fb);
    if (banded) {
        band = BandFor(fa.counts, n, fb.counts, m, bracketedA || bracketedB, scaled, threshold);
        if (band.empty) return band.floor;
    }

    // Insertion costs of the second name's characters, plain and scaled.
    Scratch<float> insertPlain(m + 1);
    Scratch<float> insertScaled(m + 1);
    for (size_t j = 0; j < m; ++j) {
        insertPlain[j + 1] = kCost[kNone][fb.charClass[j]];
        insertScaled[j + 1] = scaled[kNone][fb.charClass[j]];
    }

    const size_t forced = n - m;
    // Cells left out of the band read as infinitely far: the cell before a
    // row's first column and the one after its last are set so.
    constexpr float kFar = std::numeric_limits<float>::infinity();

    Scratch<float> rowA(m + 1);
    Scratch<float> rowB(m + 1);
    float* prev = &rowA[0];
    float* cur = &rowB[0];
    size_t last = std::min(m, band.spread);
    prev[0] = 0.0f;
    for (size_t j = 1; j <= last; ++j) prev[j] = prev[j - 1] + insertPlain[j];
    if (last < m) prev[last + 1] = kFar;

    const bool canStopEarly = m_fBracketFactor >= 0.0f;
    for (size_t i = 1; i <= n; ++i) {
        const int ca = fa.charClass[i - 1];
        const wchar_t ua = fa.folded[i - 1];
        const bool insideA = fa.inside[i - 1] != 0;
        const float* replacePlain = kCost[ca];
        const float* replaceScaled = scaled[ca];
        const float deletePlain = kCost[ca][kNone];
        const float deleteScaled = scaled[ca][kNone];

        const size_t first = i > forced + band.spread ? i - forced - band.spread : 0;
        last = std::min(m, i + band.spread);
        float rowMin = kFar;
        if (first == 0) {
            cur[0] = prev[0] + deletePlain;
            rowMin = cur[0];
        } else {
            cur[first - 1] = kFar;
        }
        for (size_t j = first == 0 ? 1 : first; j <= last; ++j) {
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
        if (last < m) cur[last + 1] = kFar;
        // With costs that are never negative, the final value is at least
        // the smallest value of any row: once that reaches the threshold, the
        // names cannot come out below it. (Cells of the band are never below
        // their exact values, and a chain below the threshold runs inside it.)
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
