// POSIX implementation of the code pages' system side: iconv and the locale's
// codeset.
#include "platform/CodePageSystem.h"

#include <iconv.h>
#include <langinfo.h>

#include <string>

namespace platform {
namespace {

std::string IconvName(int cp) {
    if (cp >= 1250 && cp <= 1258) return "CP" + std::to_string(cp);
    if (cp >= 28591 && cp <= 28599) return "ISO-8859-" + std::to_string(cp - 28590);
    if (cp == 28603) return "ISO-8859-13";
    if (cp == 28605) return "ISO-8859-15";
    if (cp == 437 || cp == 850 || cp == 866) return "CP" + std::to_string(cp);
    if (cp == 20127) return "ANSI_X3.4-1968";
    return std::string();
}

}  // namespace

std::optional<SingleBytePage> SystemSingleBytePage(int codePage) {
    const std::string name = IconvName(codePage);
    if (name.empty()) return std::nullopt;
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    SingleBytePage page{};
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[8] = {};
        char* inp = &in;
        char* outp = reinterpret_cast<char*>(out);
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        wchar_t ch = static_cast<wchar_t>(b);
        if (r != static_cast<size_t>(-1) && outLeft == 4)
            ch = static_cast<wchar_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
        page[static_cast<size_t>(b)] = ch;
    }
    iconv_close(cd);
    return page;
}

int SystemAnsiCodePage() {
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset == "ISO-8859-1") return 28591;
    if (codeset == "ISO-8859-15") return 28605;
    if (codeset == "CP1252" || codeset == "WINDOWS-1252") return 1252;
    return 0;
}

}  // namespace platform
