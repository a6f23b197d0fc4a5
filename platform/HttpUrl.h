// The text of HTTP requests, apart from the transfer: proxy addresses, the
// URL of a request and its percent-encoded target, the host of an absolute
// URL, the scheme of a redirect target, and the checks that keep host names,
// tokens and header values from carrying what may not stand on the wire
// (so no line break from a caller ever reaches a request line or a header).
//
// Pure functions of their arguments; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// True when a and b are equal but for the letter case of ASCII letters.
bool EqualsNoCaseAscii(std::string_view a, std::string_view b);

// True for an HTTP token (a verb or a header name): one or more letters,
// digits and the characters ! # $ % & ' * + - . ^ _ ` | ~.
bool IsToken(std::string_view text);

// True for a header value: visible bytes, blanks, tabs and bytes from 0x80
// up; false for any other control byte (CR and LF included).
bool IsFieldValue(std::string_view text);

// True for a host name as the client accepts one: one or more letters,
// digits, "-", "." and "_", and bytes from 0x80 up (a name not yet encoded
// for the resolver).
bool IsHostName(std::string_view host);

// The proxy URL for a named proxy text: "host", "host:port", "[v6]" or
// "[v6]:port", each optionally with an "http://" prefix and a trailing "/".
// Gives "http://host:port" (port 80 when none is given); empty when text is
// none of these.
std::string ProxyUrl(std::string_view text);

// Percent-encodes the bytes of a request target that may not stand in one:
// control bytes, blank, bytes from 0x7F up, the characters " < > \ ^ ` { | }
// and a "%" that does not start an escape of two hexadecimal digits. Escapes
// already present are kept.
std::string EncodeRequestTarget(std::string_view target);

// The URL of a request to host:port for target: "http://host[:port]" (no
// port for 0 and 80) followed by target without its fragment (from "#" on),
// percent-encoded as EncodeRequestTarget() does, and starting with "/".
// host is taken as it stands: check it with IsHostName() first.
std::string RequestUrl(std::string_view host, int port, std::string_view target);

// The scheme of an absolute reference ("scheme:...": a letter followed by
// letters, digits, "+", "-" and ".", then ":"); empty for any other reference,
// a relative one such as "/a:b" or "page?x=a:b" included.
std::string_view UrlScheme(std::string_view reference);

// The host name of an absolute URL ("scheme://[user@]host[:port]/..."), with
// %XX escapes decoded (escaped bytes read as UTF-8). Returns 0 and sets host
// (possibly empty) on success; kHttpErrorUnrecognizedScheme when the URL does
// not start with a scheme and "://"; kHttpErrorInvalidUrl for a port that is
// not a number in 0..65535.
uint32_t ExtractUrlHost(std::wstring_view url, std::wstring& host);

}  // namespace platform
