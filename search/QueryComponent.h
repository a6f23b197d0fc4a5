// Percent-encoding of a text for one component of a URL query.
//
// The artist lookup puts the requested name into the search address with it:
// appended raw, "Simon & Garfunkel" would search for "Simon " and "C#" for
// "C". The text is taken as UTF-8; every byte outside A-Z a-z 0-9 - . _ ~ is
// written as %XX (upper-case hex), so a blank becomes %20 and "+" %2B.
// Pure function; any thread may call it.
#pragma once

#include "platform/CString.h"

// text as a percent-encoded UTF-8 query component.
CString EncodeQueryComponent(const CString& text);
