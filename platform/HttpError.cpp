// Texts of the HTTP client layer's error codes.
#include "platform/HttpError.h"

namespace platform {

bool IsHttpError(uint32_t code) { return code >= kHttpErrorFirst && code <= kHttpErrorLast; }

const char* HttpErrorText(uint32_t code) {
    switch (code) {
        case kHttpErrorOutOfHandles: return "No more handles could be generated at this time.";
        case kHttpErrorTimeout: return "The operation timed out.";
        case kHttpErrorInternal: return "An internal error occurred in the HTTP client.";
        case kHttpErrorInvalidUrl: return "The URL is invalid.";
        case kHttpErrorUnrecognizedScheme: return "The URL does not use a recognized scheme.";
        case kHttpErrorNameNotResolved: return "The server name or address could not be resolved.";
        case kHttpErrorInvalidOption: return "An invalid option value was specified.";
        case kHttpErrorOperationCancelled: return "The operation was canceled.";
        case kHttpErrorIncorrectHandleState:
            return "The requested operation cannot be carried out because the handle supplied is not in the "
                   "correct state.";
        case kHttpErrorCannotConnect: return "A connection with the server could not be established.";
        case kHttpErrorConnectionError: return "The connection with the server was terminated abnormally.";
        case kHttpErrorHeaderNotFound: return "The requested header could not be located.";
        case kHttpErrorInvalidServerResponse: return "The server response could not be parsed.";
        case kHttpErrorRedirectFailed: return "The redirection failed because it would exceed the redirect limit.";
        case kHttpErrorInvalidHeader:
            return "The header name or value is invalid: it contains a line break or another character that may "
                   "not appear in a header.";
        case kHttpErrorSecureFailure: return "A secure connection to the server could not be established.";
        case kHttpErrorHeaderSizeOverflow: return "The headers of the server's response exceed the size limit.";
        case kHttpErrorResponseTooLarge: return "The server's response is larger than the size limit.";
        default: return nullptr;
    }
}

}  // namespace platform
