// UTF-8 (inside the program) to UTF-16 (COM's BSTR and the wide Win32 calls)
// and back. Malformed UTF-8 and lone surrogates become U+FFFD.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>
#include <string_view>

namespace lirvo::win {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// The text of `text`, which may be null (an empty BSTR).
std::string Utf8(BSTR text);

// A new BSTR holding `utf8`; throws std::bad_alloc when none can be made.
BSTR NewBstr(std::string_view utf8);

}  // namespace lirvo::win
