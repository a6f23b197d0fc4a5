// The User-Agent generator. The draws happen in a fixed order (browser,
// system, language, start token, then per token its inclusion and values),
// so a given sequence of seeds always yields the same string.
#include "http/UserAgent.h"

#include "platform/Random.h"
#include "platform/System.h"

namespace {

thread_local std::function<uint64_t()> t_seedSource;

// A plain draw that continues the sequence of the latest reseed.
int Draw() { return platform::NextRandom(); }

std::wstring Number(int value) { return std::to_wstring(value); }

}  // namespace

void SetUserAgentSeedSource(std::function<uint64_t()> source) { t_seedSource = std::move(source); }

int RandomNumber(int n) {
    const uint64_t counter = t_seedSource ? t_seedSource() : platform::QueryPerformanceCounter();
    platform::SeedRandom(static_cast<uint32_t>(counter & 0xFFFFFFFFu));
    const int value = Draw();
    return n > 0 ? value % n : value;
}

std::wstring GenerateUserAgent() {
    static const wchar_t* const kBrowsers[] = {L" MSIE 6.0;", L" MSIE 7.0;", L" MSIE 8.0;"};
    static const wchar_t* const kSystems[] = {L" Windows NT 5.1", L" Windows NT 6.0", L" Windows NT 6.1"};

    std::wstring s = L"Mozilla/4.0 (compatible;";
    s += kBrowsers[RandomNumber(3)];
    s += kSystems[RandomNumber(3)];
    if (RandomNumber(2) != 0) s += L"; en-US";

    const int start = RandomNumber(11);
    for (int token = start; token <= 10; ++token) {
        if (RandomNumber(2) == 0) continue;
        switch (token) {
            case 0: s += L"; Trident/4.0"; break;
            case 1: s += L"; SV1"; break;
            case 2: {
                const int minor = Draw() % 10;  // the second number is drawn first
                const int major = Draw() % 3;
                s += L"; YPC 3." + Number(major) + L"." + Number(minor);
                break;
            }
            case 3: {
                const int minor = Draw() % 10;
                const int major = Draw() % 6;
                s += L"; GTB" + Number(major) + L"." + Number(minor);
                break;
            }
            case 4: s += L"; .NET CLR 1.0." + Number(Draw()); break;
            case 5: s += L"; .NET CLR 1.1." + Number(Draw()); break;
            case 6: s += L"; .NET CLR 2.0." + Number(Draw()); break;
            case 7: {
                const int second = Draw();
                const int first = Draw();
                s += L"; .NET CLR 3.0." + Number(first) + L"." + Number(second);
                break;
            }
            case 8: {
                const int second = Draw();
                const int first = Draw();
                s += L"; .NET CLR 3.5." + Number(first) + L"." + Number(second);
                break;
            }
            case 9: s += L"; yie8"; break;
            case 10: {
                const int second = RandomNumber(30);
                const int first = RandomNumber(3);
                s += L"; yplus 5." + Number(first) + L"." + Number(second);
                break;
            }
        }
    }
    s += L")";
    return s;
}
