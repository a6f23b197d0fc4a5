// DecodeHtmlEntities and HtmlEntityTable: the table checked row by row against
// one written here from the character blocks, every entry decoded, the
// escaped-ampersand and numeric cases, surrogate pairs, references left in
// place with their messages (and the bound on their number), and a comparison
// with a plain search-from-the-start decoder on generated texts.
#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LogCapture.h"
#include "text/HtmlEntities.h"

namespace {

using EntityRow = std::pair<std::string, int>;

void AddRun(std::vector<EntityRow>& rows, const char* names, int firstValue) {
    std::istringstream words(names);
    std::string name;
    int value = firstValue;
    while (words >> name) rows.emplace_back(name, value++);
}

// The expected table: HTML 4.01's references plus "apos", in the order the
// decoder uses, with "nbsp" as a plain blank. Runs of consecutive code points
// are given by their first value.
std::vector<EntityRow> ExpectedTable() {
    std::vector<EntityRow> rows = {{"nbsp", 32}, {"quot", 34}, {"apos", 39}, {"lt", 60}, {"gt", 62}};
    AddRun(rows,
           "iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 sup3 "
           "acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc Atilde "
           "Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute "
           "Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde "
           "auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve oacute "
           "ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml",
           0xA1);
    const std::vector<EntityRow> latinExtended = {{"OElig", 0x152},  {"oelig", 0x153}, {"Scaron", 0x160},
                                                  {"scaron", 0x161}, {"Yuml", 0x178},  {"fnof", 0x192},
                                                  {"circ", 0x2C6},   {"tilde", 0x2DC}};
    rows.insert(rows.end(), latinExtended.begin(), latinExtended.end());
    AddRun(rows, "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa Lambda Mu Nu Xi Omicron Pi Rho", 0x391);
    AddRun(rows, "Sigma Tau Upsilon Phi Chi Psi Omega", 0x3A3);
    AddRun(rows,
           "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho sigmaf sigma "
           "tau upsilon phi chi psi omega",
           0x3B1);
    const std::vector<EntityRow> symbols = {
        {"thetasym", 0x3D1}, {"upsih", 0x3D2},   {"piv", 0x3D6},     {"ensp", 0x2002},   {"emsp", 0x2003},
        {"thinsp", 0x2009},  {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},
        {"ndash", 0x2013},   {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
        {"ldquo", 0x201C},   {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021},
        {"bull", 0x2022},    {"hellip", 0x2026}, {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033},
        {"lsaquo", 0x2039},  {"rsaquo", 0x203A}, {"oline", 0x203E},  {"frasl", 0x2044},  {"euro", 0x20AC},
        {"image", 0x2111},   {"weierp", 0x2118}, {"real", 0x211C},   {"trade", 0x2122},  {"alefsym", 0x2135},
        {"larr", 0x2190},    {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},   {"harr", 0x2194},
        {"crarr", 0x21B5},   {"lArr", 0x21D0},   {"uArr", 0x21D1},   {"rArr", 0x21D2},   {"dArr", 0x21D3},
        {"hArr", 0x21D4},    {"forall", 0x2200}, {"part", 0x2202},   {"exist", 0x2203},  {"empty", 0x2205},
        {"nabla", 0x2207},   {"isin", 0x2208},   {"notin", 0x2209},  {"ni", 0x220B},     {"prod", 0x220F},
        {"sum", 0x2211},     {"minus", 0x2212},  {"lowast", 0x2217}, {"radic", 0x221A},  {"prop", 0x221D},
        {"infin", 0x221E},   {"ang", 0x2220},    {"and", 0x2227},    {"or", 0x2228},     {"cap", 0x2229},
        {"cup", 0x222A},     {"int", 0x222B},    {"there4", 0x2234}, {"sim", 0x223C},    {"cong", 0x2245},
        {"asymp", 0x2248},   {"ne", 0x2260},     {"equiv", 0x2261},  {"le", 0x2264},     {"ge", 0x2265},
        {"sub", 0x2282},     {"sup", 0x2283},    {"nsub", 0x2284},   {"sube", 0x2286},   {"supe", 0x2287},
        {"oplus", 0x2295},   {"otimes", 0x2297}, {"perp", 0x22A5},   {"sdot", 0x22C5},   {"lceil", 0x2308},
        {"rceil", 0x2309},   {"lfloor", 0x230A}, {"rfloor", 0x230B}, {"lang", 0x2329},   {"rang", 0x232A},
        {"loz", 0x25CA},     {"spades", 0x2660}, {"clubs", 0x2663},  {"hearts", 0x2665}, {"diams", 0x2666},
        {"amp", 0x26}};
    rows.insert(rows.end(), symbols.begin(), symbols.end());
    return rows;
}

std::wstring Decoded(std::wstring text) {
    CString value(text);
    DecodeHtmlEntities(value);
    return value.str();
}

// A message as a trace line shows it: control characters but tab escaped.
std::wstring Shown(const std::wstring& message) {
    std::wstring shown;
    for (wchar_t ch : message) {
        if (ch == L'\n') {
            shown += L"\\n";
        } else if (ch == L'\r') {
            shown += L"\\r";
        } else if ((ch < 0x20 && ch != L'\t') || ch == 0x7F) {
            wchar_t escape[8];
            std::swprintf(escape, 8, L"\\x%02X", static_cast<unsigned>(ch));
            shown += escape;
        } else {
            shown += ch;
        }
    }
    return shown;
}

std::wstring BadCodeMessage(const std::wstring& reference, long long value, const std::wstring& whole) {
    return Shown(L"Bad &#nnn; code: \"" + reference + L"\" => " + std::to_wstring(value) + L" ; string is:\n\t\"" +
                 whole + L"\"");
}

std::wstring MoreBadCodesMessage(size_t more) {
    return L"Bad &#nnn; code: " + std::to_wstring(more) + L" more in the same string not reported";
}

// Each high surrogate directly followed by a low one made the one code point
// they encode, as a text of 32-bit wide characters holds it.
std::wstring JoinedPairs(const std::wstring& text) {
    if (!platform::kWideHoldsCodePoints) return text;  // the pair is the character already
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned long unit = static_cast<unsigned long>(text[i]);
        const unsigned long next = i + 1 < text.size() ? static_cast<unsigned long>(text[i + 1]) : 0;
        if (unit >= 0xD800 && unit < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            out += static_cast<wchar_t>(0x10000 + (unit - 0xD800) * 0x400 + (next - 0xDC00));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TEST(HtmlEntityTableTest, EveryRowMatchesTheIndependentTable) {
    const std::vector<EntityRow> expected = ExpectedTable();
    ASSERT_EQ(expected.size(), 253u) << "the table written here is incomplete";
    ASSERT_EQ(HtmlEntityCount, 253u);
    for (size_t i = 0; i < expected.size(); ++i) {
        const HtmlEntity& entry = HtmlEntityTable[i];
        ASSERT_NE(entry.name, nullptr) << "row " << i << " (" << expected[i].first << ") ends the table early";
        EXPECT_EQ(std::string(entry.name), "&" + expected[i].first + ";") << "row " << i;
        EXPECT_EQ(entry.value, expected[i].second) << "row " << i << " " << expected[i].first;
    }
    EXPECT_EQ(HtmlEntityTable[253].name, nullptr) << "the table must end with a null name";
}

TEST(HtmlEntityTableTest, EveryEntryDecodesWhereverItStands) {
    LogCapture log;
    for (const EntityRow& row : ExpectedTable()) {
        const std::wstring name = L"&" + platform::FromUtf8(row.first) + L";";
        const std::wstring value(1, static_cast<wchar_t>(row.second));
        EXPECT_EQ(Decoded(name), value) << row.first;
        EXPECT_EQ(Decoded(L"x" + name + L"y" + name), L"x" + value + L"y" + value) << row.first;
        // Without its ";" a reference is plain text.
        EXPECT_EQ(Decoded(L"&" + platform::FromUtf8(row.first) + L" "), L"&" + platform::FromUtf8(row.first) + L" ")
            << row.first;
    }
    EXPECT_TRUE(log.Lines().empty());
}

struct DecodeRow {
    const char* name;
    std::wstring input;
    std::wstring expected;
};

TEST(DecodeHtmlEntitiesTest, NamedAndNumericReferences) {
    const DecodeRow rows[] = {
        {"nbsp is a plain blank", L"a&nbsp;b", L"a b"},
        {"escaped named reference stays escaped", L"&amp;lt;", L"&lt;"},
        {"escaped amp decodes once", L"&amp;amp;", L"&amp;"},
        {"escaped numeric reference decodes", L"&amp;#65;", L"A"},
        {"numeric amp does not make a named reference", L"&#38;lt;", L"&lt;"},
        {"numeric amp makes a numeric reference", L"&#38;#65;", L"A"},
        {"upper-case AMP is not a reference", L"&AMP; &Amp;", L"&AMP; &Amp;"},
        {"case tells Auml from auml", L"&Auml;&auml;", L"\u00C4\u00E4"},
        {"unknown name", L"&bogus; &nbsp", L"&bogus; &nbsp"},
        {"named reference without semicolon", L"&lt &gt", L"&lt &gt"},
        {"numeric reference without semicolon", L"&#65 &#66", L"&#65 &#66"},
        {"leading zero", L"&#065;", L"A"},
        {"many leading zeros", L"&#00000000000000000065;", L"A"},
        {"hexadecimal form is not decoded", L"&#x41;", L"&#x41;"},
        {"no digits", L"&#;", L"&#;"},
        {"sign is not a digit", L"&#+65;&#-65;", L"&#+65;&#-65;"},
        {"other digits are not digits", L"&#\u0661;&#\uFF11;", L"&#\u0661;&#\uFF11;"},
        {"largest value", L"&#65535;", L"\uFFFF"},
        {"surrogate value inserted as it is", L"&#55296;", std::wstring(1, static_cast<wchar_t>(0xD800))},
        {"replacement completes a reference before it", L"&&#35;38;", L"&"},
        {"digit completes a reference", L"&#1&#50;;", std::wstring(1, static_cast<wchar_t>(12))},
        {"semicolon completes a reference", L"&#65&#59;", L"A"},
        {"chain of uncovered ampersands", L"&#38;#38;#38;#38;#66;", L"B"},
        {"named pass uncovers a numeric reference", L"&amp;&#35;65;", L"A"},
        {"adjacent references", L"&lt;&#60;&gt;&#62;", L"<<>>"},
        {"lone ampersands and hashes", L"& # &# ;&;#;", L"& # &# ;&;#;"},
        {"text without references", L"plain text", L"plain text"},
    };
    LogCapture log;
    for (const DecodeRow& row : rows) EXPECT_EQ(Decoded(row.input), row.expected) << row.name;
    EXPECT_TRUE(log.Lines().empty()) << "no row may write a message";
}

TEST(DecodeHtmlEntitiesTest, OutOfRangeReferencesStayAndAreReportedOnce) {
    LogCapture log;
    const std::wstring input = L"a&#0;b&#65536;c&#65;";
    EXPECT_EQ(Decoded(input), L"a&#0;b&#65536;cA");
    const std::vector<std::wstring> expected = {BadCodeMessage(L"&#0;", 0, input),
                                                BadCodeMessage(L"&#65536;", 65536, input)};
    EXPECT_EQ(log.Texts(L"ERR"), expected);
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(DecodeHtmlEntitiesTest, EachOccurrenceOfABadReferenceIsReported) {
    LogCapture log;
    EXPECT_EQ(Decoded(L"&#0;&#00;&#0;"), L"&#0;&#00;&#0;");
    EXPECT_EQ(log.Texts(L"ERR").size(), 3u);
}

TEST(DecodeHtmlEntitiesTest, TooManyDigitsGiveTheLargestValue) {
    LogCapture log;
    EXPECT_EQ(Decoded(L"&#99999999999999999999;"), L"&#99999999999999999999;");
    ASSERT_EQ(log.Texts(L"ERR").size(), 1u);
    EXPECT_EQ(log.Texts(L"ERR")[0], BadCodeMessage(L"&#99999999999999999999;", INT_MAX, L"&#99999999999999999999;"));
}

TEST(DecodeHtmlEntitiesTest, SurrogatePairsOfReferencesGiveOneCharacter) {
    if (!platform::kWideHoldsCodePoints)
        GTEST_SKIP() << "wide characters are UTF-16 units: the two halves are the pair";
    const wchar_t high = 0xD83D;
    const wchar_t low = 0xDE00;
    const auto grin = static_cast<wchar_t>(0x1F600);
    const DecodeRow rows[] = {
        {"pair", L"&#55357;&#56832;", {grin}},
        {"pair with leading zeros", L"&#055357;&#00056832;", {grin}},
        {"pair amid text", L"a&#55357;&#56832;b", {L'a', grin, L'b'}},
        {"two pairs in a row", L"&#55357;&#56832;&#55357;&#56832;", {grin, grin}},
        {"lowest pair", L"&#55296;&#56320;", {static_cast<wchar_t>(0x10000)}},
        {"highest pair", L"&#56319;&#57343;", {static_cast<wchar_t>(0x10FFFF)}},
        {"lone high half", L"&#55357;x", {high, L'x'}},
        {"lone low half", L"x&#56832;", {L'x', low}},
        {"high half at the end", L"&#56832;&#55357;", {low, high}},
        {"second high half takes the low one", L"&#55357;&#55357;&#56832;", {high, grin}},
        {"blank between the halves", L"&#55357; &#56832;", {high, L' ', low}},
        {"escaped ampersands uncover the pair", L"&amp;#55357;&amp;#56832;", {grin}},
        {"low half completed by a replacement", L"&#55357;&&#35;56832;", {grin}},
        {"written half next to a half already there", {L'&', L'#', L'5', L'5', L'3', L'5', L'7', L';', low}, {grin}},
        {"pair already there is left alone", {high, low, L'&', L'#', L'6', L'5', L';'}, {high, low, L'A'}},
    };
    LogCapture log;
    for (const DecodeRow& row : rows) EXPECT_EQ(Decoded(row.input), row.expected) << row.name;
    // As UTF-8 (a tag, a file name), the pair is the character and a lone half is U+FFFD.
    EXPECT_EQ(platform::ToUtf8(Decoded(L"&#55357;&#56832;!&#55357;")), "\xF0\x9F\x98\x80!\xEF\xBF\xBD");
    EXPECT_TRUE(log.Lines().empty()) << "no row may write a message";
}

TEST(DecodeHtmlEntitiesTest, ReportQuotesADecodedPairAsOneCharacter) {
    if (!platform::kWideHoldsCodePoints)
        GTEST_SKIP() << "wide characters are UTF-16 units: the two halves are the pair";
    LogCapture log;
    EXPECT_EQ(Decoded(L"&#55357;&#56832;&#0;&#55357;&#56832;"), L"\U0001F600&#0;\U0001F600");
    const std::vector<std::wstring> expected = {BadCodeMessage(L"&#0;", 0, L"\U0001F600&#0;\U0001F600")};
    EXPECT_EQ(log.Texts(L"ERR"), expected);
}

TEST(DecodeHtmlEntitiesTest, OnlyTheFirstTenBadReferencesOfATextAreQuoted) {
    const struct {
        const char* name;
        int bad;
        size_t quoted;
        size_t more;
    } rows[] = {
        {"one", 1, 1, 0},
        {"ten", 10, 10, 0},
        {"eleven", 11, 10, 1},
        {"two thousand", 2000, 10, 1990},
    };
    LogCapture log;
    for (const auto& row : rows) {
        std::wstring bad;
        for (int i = 0; i < row.bad; ++i) bad += (i % 2 == 0) ? L"&#0;" : L"&#65536;";
        const std::wstring input = bad + L"&#65;";
        log.Clear();
        EXPECT_EQ(Decoded(input), bad + L"A") << row.name << ": a valid reference after them is still decoded";
        std::vector<std::wstring> expected;
        for (size_t i = 0; i < row.quoted; ++i)
            expected.push_back(i % 2 == 0 ? BadCodeMessage(L"&#0;", 0, input)
                                          : BadCodeMessage(L"&#65536;", 65536, input));
        if (row.more != 0) expected.push_back(MoreBadCodesMessage(row.more));
        EXPECT_EQ(log.Texts(L"ERR"), expected) << row.name;
    }
    // Every text has ten of its own.
    log.Clear();
    const std::wstring eleven = L"&#0;&#0;&#0;&#0;&#0;&#0;&#0;&#0;&#0;&#0;&#0;";
    Decoded(eleven);
    Decoded(eleven);
    EXPECT_EQ(log.Texts(L"ERR").size(), 22u);
}

TEST(DecodeHtmlEntitiesTest, AFloodOfBadReferencesAddsElevenLinesToTheLogFile) {
    LogCapture log;
    TheTraceLog().Write(TRACE_ERROR, L"before");
    CString fileName;
    TheTraceLog().GetCurrentFileName(fileName);
    const std::string before = ReadBytes(platform::ToUtf8(fileName.str()));
    ASSERT_FALSE(before.empty());

    std::wstring title;  // 2,000 references: 8 KB of title
    while (title.size() < 8000) title += L"&#0;";
    EXPECT_EQ(Decoded(title), title);

    const std::string after = ReadBytes(platform::ToUtf8(fileName.str()));
    ASSERT_GT(after.size(), before.size());
    size_t lines = 0;
    for (size_t at = before.size(); at + 4 <= after.size(); at += 2)
        if (after.compare(at, 4, std::string("\r\0\n\0", 4)) == 0) ++lines;
    EXPECT_EQ(lines, 11u);
    // Ten lines quote the title (two bytes a character); the whole text once per reference would be 32 MB.
    EXPECT_LT(after.size() - before.size(), 11 * 2 * (title.size() + 200));
}

TEST(DecodeHtmlEntitiesTest, ReportQuotesTheTextWithEveryCopyOfADecodedReferenceReplaced) {
    LogCapture log;
    EXPECT_EQ(Decoded(L"&#65;&#0;&#65;&#66;"), L"A&#0;AB");
    const std::vector<std::wstring> expected = {BadCodeMessage(L"&#0;", 0, L"A&#0;A&#66;")};
    EXPECT_EQ(log.Texts(L"ERR"), expected);
}

TEST(DecodeHtmlEntitiesTest, EmptyTextIsReportedByTheSearch) {
    LogCapture log;
    EXPECT_EQ(Decoded(L""), L"");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].label, L"WRN");
    EXPECT_EQ(log.Lines()[0].message, L"Input string is empty");
}

TEST(DecodeHtmlEntitiesTest, LongChainsDecodeToTheEnd) {
    // Each "&#38;" uncovers the next; the last one uncovers "&#67;".
    std::wstring chain = L"&#38;";
    for (int i = 0; i < 20000; ++i) chain += L"#38;";
    chain += L"#67;";
    EXPECT_EQ(Decoded(chain), L"C");
    // A run of digits far too long for any number, closed many times over.
    std::wstring digits = L"&#" + std::wstring(100000, L'7') + std::wstring(1000, L';');
    LogCapture log;
    EXPECT_EQ(Decoded(digits), digits);
    EXPECT_EQ(log.Texts(L"ERR").size(), 1u);
}

// The decoder as written out plainly: every table entry replaced over the
// whole text in turn; then the numeric reference searched again after each
// replacement, which replaces every copy of the reference found, and the
// search moved past a reference that stays.
struct PlainResult {
    std::wstring text;
    std::vector<std::wstring> messages;
};

PlainResult PlainDecode(const std::wstring& input, const std::vector<EntityRow>& table) {
    CString text(input);
    for (const EntityRow& row : table)
        text.Replace((L"&" + platform::FromUtf8(row.first) + L";").c_str(),
                     std::wstring(1, static_cast<wchar_t>(row.second)).c_str());
    PlainResult result;
    std::wstring& t = text.str();
    static const boost::wregex numeric(L"&#([0-9]+);");
    size_t from = 0;
    size_t bad = 0;
    for (;;) {
        boost::wsmatch match;
        if (!boost::regex_search(t.cbegin() + static_cast<std::ptrdiff_t>(from), t.cend(), match, numeric)) break;
        const std::wstring reference = match.str(0);
        long long value = 0;
        for (wchar_t digit : match.str(1)) value = std::min<long long>(value * 10 + (digit - L'0'), INT_MAX);
        if (value >= 1 && value <= 65535) {
            text.Replace(reference.c_str(), std::wstring(1, static_cast<wchar_t>(value)).c_str());
        } else {
            // Messages travel as 8-bit text in the thread's ANSI page.
            if (++bad <= 10) {
                const std::wstring message = BadCodeMessage(reference, value, JoinedPairs(t));
                result.messages.push_back(*platform::Decode(0, *platform::Encode(0, message)));
            }
            from = static_cast<size_t>(match[0].second - t.cbegin());
        }
    }
    if (bad > 10) result.messages.push_back(MoreBadCodesMessage(bad - 10));
    result.text = JoinedPairs(t);
    return result;
}

// Generated texts: pieces that combine into references, escaped references,
// bad references (sometimes more than are reported one by one), surrogate
// halves, and replacements that complete references in front of them.
std::vector<std::wstring> GeneratedTexts(int count, unsigned seed) {
    const std::vector<std::wstring> pieces = {
        L"&",        L"#",         L";",
        L"3",        L"5",         L"8",
        L"0",        L"x",         L"&#",
        L"&#3",      L"8;",        L"&#38;",
        L"&#35;",    L"&#59;",     L"&#48;",
        L"&#0;",     L"&#65;",     L"&#065;",
        L"&#65536;", L"&amp;",     L"&lt;",
        L"&nbsp;",   L"amp;",      L"lt;",
        L"&#1",      L"&#50;",     L"6",
        L"&#5",      L"9;",        L"&#3",
        L"5;",       L"&#55357;",  L"&#56832;",
        L"&#5535",   L"7;",        L"&#56319;",
        L"&#57343;", L"&#056832;", L"&#0;&#0;&#0;&#0;",
    };
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 24);
    std::vector<std::wstring> texts;
    for (int i = 0; i < count; ++i) {
        std::wstring text;
        for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
        texts.push_back(text);
    }
    return texts;
}

TEST(DecodeHtmlEntitiesTest, AgreesWithThePlainDecoderOnGeneratedTexts) {
    const std::vector<EntityRow> table = ExpectedTable();
    LogCapture log;
    for (const std::wstring& input : GeneratedTexts(4000, 20240601)) {
        const PlainResult plain = PlainDecode(input, table);
        log.Clear();
        const std::wstring decoded = Decoded(input);
        ASSERT_EQ(decoded, plain.text) << "input " << platform::ToUtf8(input);
        ASSERT_EQ(log.Texts(L"ERR"), plain.messages) << "input " << platform::ToUtf8(input);
        ASSERT_LE(decoded.size(), input.size());
    }
}

TEST(DecodeHtmlEntitiesTest, ClosedLogChangesNoResult) {
    // With the log closed no report is assembled, and the text comes out the same.
    TheTraceLog().Close();
    const std::vector<EntityRow> table = ExpectedTable();
    for (const std::wstring& input : GeneratedTexts(1000, 77))
        ASSERT_EQ(Decoded(input), PlainDecode(input, table).text) << "input " << platform::ToUtf8(input);
}

}  // namespace
