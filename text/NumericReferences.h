// The numeric pass of DecodeHtmlEntities: decimal references "&#digits;"
// replaced by the code unit they name. Works on the caller's text only; any
// thread may call it.
#pragma once

#include <string>

// Returns text with every reference "&#digits;" of value 1..65535 replaced by
// that code unit, including references that a replacement completes in front
// of it ("&&#35;38;" gives "&"). A reference of value 0 or above 65535 stays
// and is reported once at level Error, quoting the whole text as it stands;
// past the first 10 such references, one last line gives how many more there
// were. Where wide characters hold code points, a surrogate value next to its
// other half gives the one character of the pair ("&#55357;&#56832;" gives
// U+1F600); a lone half is inserted as it is. The result is never longer
// than text.
std::wstring DecodeNumericReferences(std::wstring text);
