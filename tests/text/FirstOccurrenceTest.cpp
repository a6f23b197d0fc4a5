// FindFirstOccurrence against std::wstring_view::find: crafted cases and
// random texts over two letters, where borders and near repeats abound.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/FirstOccurrence.h"

using namespace std::string_literals;

namespace {

TEST(FirstOccurrenceTest, FindsWhereAPlainSearchFinds) {
    struct Row {
        std::wstring text, pattern;
        size_t from;
    };
    const Row rows[] = {
        {L"abc", L"abc", 0},
        {L"abc", L"abcd", 0},
        {L"aab", L"ab", 0},
        {L"abab", L"ab", 1},
        {L"aaaaab", L"aab", 0},
        {L"abaabab", L"abab", 0},
        {L"xyz", L"", 1},
        {L"xyz", L"", 3},
        {L"xyz", L"", 4},
        {L"xyz", L"z", 5},
        {L"", L"", 0},
        {L"a\0b"s, L"\0b"s, 0},
        {L"ab\U0001F3B5c", L"\U0001F3B5", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FindFirstOccurrence(row.text, row.pattern, row.from),
                  std::wstring_view(row.text).find(row.pattern, row.from))
            << "text size " << row.text.size() << ", pattern size " << row.pattern.size() << ", from " << row.from;
}

TEST(FirstOccurrenceTest, RandomTextsOverTwoLetters) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> letter(0, 1);
    auto make = [&](size_t length) {
        std::wstring text;
        for (size_t i = 0; i < length; ++i) text += letter(random) ? L'a' : L'b';
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::wstring text = make(round % 40);
        const std::wstring pattern = make(1 + round % 7);
        const size_t from = text.empty() ? 0 : round % (text.size() + 1);
        ASSERT_EQ(FindFirstOccurrence(text, pattern, from), std::wstring_view(text).find(pattern, from))
            << "text " << std::string(text.begin(), text.end()) << ", pattern "
            << std::string(pattern.begin(), pattern.end()) << ", from " << from;
    }
}

}  // namespace
