// Error codes of the HTTP client layer (platform/HttpClient.h) and their texts.
//
// The codes share one number space with the system's error codes (errno
// values, all far below 12000), so a caller keeps a single "last error" and
// SystemErrorText() turns either kind into text. The numbers are fixed:
// trace lines quote them ("error=[%d]"), so a code means the same in every log.
// Exhausted memory is reported with the system's own code, ENOMEM.
// Everything here is constant data: callable from any thread.
#pragma once

#include <cstdint>

namespace platform {

enum HttpError : uint32_t {
    kHttpErrorNone = 0,
    kHttpErrorFirst = 12000,                  // first code of the HTTP range
    kHttpErrorOutOfHandles = 12001,           // the transfer engine could not be set up
    kHttpErrorTimeout = 12002,                // connect or receive timed out
    kHttpErrorInternal = 12004,               // the transfer engine failed unexpectedly
    kHttpErrorInvalidUrl = 12005,             // the URL (or its host or port) is malformed
    kHttpErrorUnrecognizedScheme = 12006,     // the URL's scheme is not one the client speaks
    kHttpErrorNameNotResolved = 12007,        // host or proxy name could not be resolved
    kHttpErrorInvalidOption = 12009,          // an option value (the proxy) is invalid
    kHttpErrorOperationCancelled = 12017,     // the request was closed while in progress
    kHttpErrorIncorrectHandleState = 12019,   // operation out of order for this handle
    kHttpErrorCannotConnect = 12029,          // connection refused or unreachable
    kHttpErrorConnectionError = 12030,        // connection broken, body truncated
    kHttpErrorHeaderNotFound = 12150,         // the response has no such header
    kHttpErrorInvalidServerResponse = 12152,  // the server's reply is not HTTP/1.x or cannot be decoded
    kHttpErrorInvalidHeader = 12153,          // header name or value not allowed (CR, LF, ...)
    kHttpErrorRedirectFailed = 12156,         // too many redirects
    kHttpErrorSecureFailure = 12175,          // TLS could not be established (an https redirect)
    kHttpErrorHeaderSizeOverflow = 12182,     // the response head (or its trailer) is larger than the limit
    kHttpErrorResponseTooLarge = 12184,       // the body passed the limit its reader set
    kHttpErrorLast = 12199,                   // last code of the HTTP range
};

// True for codes in [kHttpErrorFirst, kHttpErrorLast].
bool IsHttpError(uint32_t code);

// The English text for an HTTP-layer code (one sentence, no line break);
// null for a code that is not one of the above.
const char* HttpErrorText(uint32_t code);

}  // namespace platform
