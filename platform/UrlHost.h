// Splitting the host out of an absolute URL, as each system's URL parser
// does it (platform/HttpUrl.h's ExtractUrlHost() checks the scheme before and
// decodes escapes after).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The host name of url ("scheme://[user@]host[:port]/..."), escapes left as
// they stand: 0 and host (possibly empty), or kHttpErrorInvalidUrl for a port
// that is not a number in 0..65535 or an authority that cannot be read.
uint32_t CrackUrlHost(std::wstring_view url, std::wstring& host);

}  // namespace platform
