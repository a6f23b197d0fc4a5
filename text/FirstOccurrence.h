// FindFirstOccurrence: where a text first holds a pattern, in time linear in
// the lengths of both whatever they hold (a plain search may compare a long
// pattern again at every position of a long text that nearly repeats it).
//
// Pure function; any thread may call it.
#pragma once

#include <cstddef>
#include <string_view>

// Position of the first occurrence of pattern in text at or after from; npos
// when there is none. An empty pattern occurs at from (when from is within text).
size_t FindFirstOccurrence(std::wstring_view text, std::wstring_view pattern, size_t from = 0);
