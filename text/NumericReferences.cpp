// The numeric reference pass in one left-to-right walk.
//
// The pass gives the text and the report lines of this search: find the
// first "&#digits;" from the start of the text; if its value is in range,
// replace every copy of that reference text (one left-to-right replacement,
// which does not look again at what it produced) and search again; otherwise
// report it and search on behind it. Run step by step, that search restarts
// at the beginning and each replacement rewrites the whole text, which costs
// time quadratic in the length.
//
// The walk here reaches that text and those report lines in one pass.
// Decoded text is built left to right; when a ";" closes "&#digits;" behind
// the last "&", that reference is dealt with at once. Its replacement may close
// a reference beginning at the "&" before it ("&&#35;38;", "&#1&#50;;"); a
// stack of "&" positions finds that "&" without scanning back.
//
// Copies further on are replaced when the walk reaches them. To know whether
// the search would have replaced a copy already, every character carries a
// stamp: 0 for the text as given, n for a character written by the n-th
// replace-every-copy. The search replaced a copy exactly when the same
// reference text was replaced in a round numbered above the newest stamp in
// the copy (the copy existed then); otherwise the copy is new to the search
// and starts a round of its own. Before a report, the rest of the text is
// brought to the state the search would have reached, so the line quotes
// the same text. Only the first few bad references of one text are reported
// that way; one last line counts the rest, so a text full of them costs one
// bounded block of log, not a copy of the text per reference.
//
// Where wide characters hold code points, a surrogate value written next to
// its other half makes the one character the pair encodes, as it does in
// UTF-16 text: "&#55357;&#56832;" gives U+1F600. A lone half stays as it is.
#include "text/NumericReferences.h"

#include <algorithm>
#include <climits>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/TraceLog.h"
#include "platform/Unicode.h"
#include "text/NarrowTrace.h"

namespace {

using Stamp = size_t;

// Bad references of one text reported with the whole text; the rest are counted.
constexpr size_t kReportedBadReferences = 10;

bool IsAsciiDigit(wchar_t ch) { return ch >= L'0' && ch <= L'9'; }

// Digits read as a decimal number; a number too large for 32 bits gives INT_MAX.
long long DecimalValue(std::wstring_view digits) {
    long long value = 0;
    for (wchar_t digit : digits) {
        value = value * 10 + (digit - L'0');
        if (value > INT_MAX) return INT_MAX;
    }
    return value;
}

// A character's stamp, kept only for characters whose stamp is not 0.
struct StampMark {
    size_t position;
    Stamp stamp;
};

// Stamp marks in ascending position order.
using StampMarks = std::vector<StampMark>;

// Reads the stamps of a text in position order, one position after another.
class StampCursor {
public:
    explicit StampCursor(const StampMarks& marks) : m_marks(marks) {}

    // The stamp at position; positions must be asked in ascending order.
    Stamp At(size_t position) {
        while (m_index < m_marks.size() && m_marks[m_index].position < position) ++m_index;
        return m_index < m_marks.size() && m_marks[m_index].position == position ? m_marks[m_index].stamp : 0;
    }

    // Reads from the first mark again (after the marks were replaced).
    void Restart() { m_index = 0; }

    // Appends the marks in [first, last) to out, positions moved from first to offset.
    void CopyRange(size_t first, size_t last, size_t offset, StampMarks& out) {
        while (m_index < m_marks.size() && m_marks[m_index].position < first) ++m_index;
        for (; m_index < m_marks.size() && m_marks[m_index].position < last; ++m_index)
            out.push_back({m_marks[m_index].position - first + offset, m_marks[m_index].stamp});
    }

private:
    const StampMarks& m_marks;
    size_t m_index = 0;
};

// Stamped text built left to right, which knows whether its end closes a
// numeric reference behind its last "&".
class ReferenceBuilder {
public:
    explicit ReferenceBuilder(size_t capacity) { m_text.reserve(capacity); }

    // Appends ch; true when it closes "&#digits;" that begins at the last "&".
    bool Append(wchar_t ch, Stamp stamp) {
        if (ch == L'&') {
            m_amps.push_back({m_text.size(), m_tail});
            m_tail = Tail::Amp;
        } else if (ch == L'#') {
            m_tail = m_tail == Tail::Amp ? Tail::Hash : Tail::None;
        } else if (IsAsciiDigit(ch)) {
            m_tail = (m_tail == Tail::Hash || m_tail == Tail::Digits) ? Tail::Digits : Tail::None;
        } else if (ch == L';') {
            m_tail = m_tail == Tail::Digits ? Tail::Closed : Tail::None;
        } else {
            m_tail = Tail::None;
        }
        if (stamp != 0) m_stamps.push_back({m_text.size(), stamp});
        m_text += ch;
        return m_tail == Tail::Closed;
    }

    // True while the text behind the last "&" may still become "&#digits;".
    bool IsTailOpen() const { return m_tail != Tail::None; }

    // Appends text[first, last), which holds no "&", while the tail is not open.
    void AppendPlain(const std::wstring& text, StampCursor& stamps, size_t first, size_t last) {
        stamps.CopyRange(first, last, m_text.size(), m_stamps);
        m_text.append(text, first, last - first);
    }

    // The reference that the last Append closed, "&" to ";".
    std::wstring_view ClosedReference() const { return std::wstring_view(m_text).substr(m_amps.back().position); }

    // The newest stamp among the characters of the closed reference.
    Stamp ClosedReferenceStamp() const {
        const size_t start = m_amps.back().position;
        Stamp newest = 0;
        for (auto mark = m_stamps.rbegin(); mark != m_stamps.rend() && mark->position >= start; ++mark)
            newest = std::max(newest, mark->stamp);
        return newest;
    }

    // Leaves the closed reference in the text.
    void Keep() { m_tail = Tail::None; }

    // Replaces the closed reference by ch; true when ch closes another one.
    bool Replace(wchar_t ch, Stamp stamp) {
        const AmpMark mark = m_amps.back();
        m_amps.pop_back();
        m_text.resize(mark.position);
        while (!m_stamps.empty() && m_stamps.back().position >= mark.position) m_stamps.pop_back();
        m_tail = mark.tailBefore;
        return Append(ch, stamp);
    }

    const std::wstring& Text() const { return m_text; }
    const StampMarks& Stamps() const { return m_stamps; }
    std::wstring& MutableText() { return m_text; }
    StampMarks& MutableStamps() { return m_stamps; }

private:
    // Where the text behind the last "&" stands on the way to "&#digits;".
    enum class Tail { None, Amp, Hash, Digits, Closed };

    struct AmpMark {
        size_t position;  // index of the "&" in m_text
        Tail tailBefore;  // the state just before it was appended
    };

    std::wstring m_text;
    StampMarks m_stamps;
    std::vector<AmpMark> m_amps;
    Tail m_tail = Tail::None;
};

// Joins, in text, each high surrogate followed directly by a low surrogate
// into the one character they encode when a replacement wrote either half
// (marks are text's stamp marks), where wide characters hold code points. In
// UTF-16 text such a pair is that character already. Lone halves stay.
void JoinReplacedPairs(std::wstring& text, const StampMarks& marks) {
    if (!platform::kWideHoldsCodePoints || marks.empty()) return;
    StampCursor stamps(marks);
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (platform::IsHighSurrogate(ch) && i + 1 < text.size() && platform::IsLowSurrogate(text[i + 1]) &&
            (stamps.At(i) != 0 || stamps.At(i + 1) != 0)) {
            text[out++] = static_cast<wchar_t>(platform::CodePointOfPair(ch, text[i + 1]));
            ++i;
        } else {
            text[out++] = ch;
        }
    }
    text.resize(out);
}

class NumericReferenceDecoder {
public:
    explicit NumericReferenceDecoder(std::wstring input) : m_input(std::move(input)), m_out(m_input.size()) {}

    std::wstring Run() {
        StampCursor stamps(m_inputStamps);
        while (m_next < m_input.size()) {
            if (!m_out.IsTailOpen()) {
                // Text up to the next "&" cannot close anything: copy it whole.
                const size_t amp = std::min(m_input.find(L'&', m_next), m_input.size());
                m_out.AppendPlain(m_input, stamps, m_next, amp);
                m_next = amp;
                if (m_next == m_input.size()) break;
            }
            bool closed = m_out.Append(m_input[m_next], stamps.At(m_next));
            ++m_next;
            while (closed) {
                const std::wstring_view reference = m_out.ClosedReference();
                const long long value = DecimalValue(reference.substr(2, reference.size() - 3));
                if (value < 1 || value > 65535) {
                    m_out.Keep();
                    if (ReportBadReference(reference, value)) stamps.Restart();
                    break;
                }
                Stamp stamp = 0;
                if (!FindRound(reference, m_out.ClosedReferenceStamp(), stamp)) {
                    stamp = ++m_rounds;
                    m_roundsOf[std::wstring(reference)].push_back(stamp);
                }
                closed = m_out.Replace(static_cast<wchar_t>(value), stamp);
            }
        }
        ReportUnreportedCount();
        std::wstring text = std::move(m_out.MutableText());
        JoinReplacedPairs(text, m_out.Stamps());
        return text;
    }

private:
    // The first round that replaced every copy of reference after a copy
    // with newest stamp `newest` existed, if any.
    bool FindRound(std::wstring_view reference, Stamp newest, Stamp& round) const {
        const auto found = m_roundsOf.find(std::wstring(reference));
        if (found == m_roundsOf.end()) return false;
        const auto later = std::upper_bound(found->second.begin(), found->second.end(), newest);
        if (later == found->second.end()) return false;
        round = *later;
        return true;
    }

    // Writes the report line; true when the rest of the text was rewritten first.
    // The line quotes the whole text, so nothing is assembled when it would
    // not be written: a text with many such references stays linear then.
    bool ReportBadReference(std::wstring_view reference, long long value) {
        if (++m_badReferences > kReportedBadReferences || !IsTraceLevelWritten(TRACE_ERROR)) return false;
        const bool rewritten = CatchUpRest();
        const std::wstring whole = WholeText();
        WriteNarrowTrace(TRACE_ERROR, "Bad &#nnn; code: \"" + NarrowForTrace(std::wstring(reference).c_str()) +
                                          "\" => " + std::to_string(value) + " ; string is:\n\t\"" +
                                          NarrowForTrace(whole.c_str()) + "\"");
        return rewritten;
    }

    // One line for the bad references that were not reported one by one.
    void ReportUnreportedCount() const {
        if (m_badReferences <= kReportedBadReferences || !IsTraceLevelWritten(TRACE_ERROR)) return;
        WriteNarrowTrace(TRACE_ERROR, "Bad &#nnn; code: " + std::to_string(m_badReferences - kReportedBadReferences) +
                                          " more in the same string not reported");
    }

    // The text as it stands: decoded part, then the part not yet walked.
    std::wstring WholeText() const {
        std::wstring whole = m_out.Text() + m_input.substr(m_next);
        StampMarks marks = m_out.Stamps();
        for (const StampMark& mark : m_inputStamps)
            if (mark.position >= m_next) marks.push_back({mark.position - m_next + m_out.Text().size(), mark.stamp});
        JoinReplacedPairs(whole, marks);
        return whole;
    }

    // Replaces, in the text not yet walked, the copies that the rounds so far
    // would have replaced already. True when it rewrote that text.
    bool CatchUpRest() {
        if (m_rounds == 0 || m_next >= m_input.size()) return false;
        ReferenceBuilder rest(m_input.size() - m_next);
        StampCursor stamps(m_inputStamps);
        for (size_t i = m_next; i < m_input.size(); ++i) {
            bool closed = rest.Append(m_input[i], stamps.At(i));
            while (closed) {
                Stamp round = 0;
                if (!FindRound(rest.ClosedReference(), rest.ClosedReferenceStamp(), round)) {
                    rest.Keep();
                    break;
                }
                const std::wstring_view reference = rest.ClosedReference();
                const auto value = static_cast<wchar_t>(DecimalValue(reference.substr(2, reference.size() - 3)));
                closed = rest.Replace(value, round);
            }
        }
        m_input = std::move(rest.MutableText());
        m_inputStamps = std::move(rest.MutableStamps());
        m_next = 0;
        return true;
    }

    // The text not yet walked starts at m_next; its stamps are m_inputStamps.
    std::wstring m_input;
    StampMarks m_inputStamps;
    size_t m_next = 0;
    ReferenceBuilder m_out;
    // Rounds of replace-every-copy so far, and the rounds of each reference text, in order.
    Stamp m_rounds = 0;
    std::unordered_map<std::wstring, std::vector<Stamp>> m_roundsOf;
    // Bad references met so far.
    size_t m_badReferences = 0;
};

}  // namespace

std::wstring DecodeNumericReferences(std::wstring text) {
    if (text.find(L"&#") == std::wstring::npos) return text;
    NumericReferenceDecoder decoder(std::move(text));
    return decoder.Run();
}
