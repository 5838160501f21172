#include "win/wide_text.h"

#include <climits>
#include <new>

namespace lirvo::win {
namespace {

int Length(size_t size) {
  if (size > static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
  return static_cast<int>(size);
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = Length(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = Length(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8(BSTR text) {
  return text == nullptr ? std::string() : Utf8(std::wstring_view(text, ::SysStringLen(text)));
}

BSTR NewBstr(std::string_view utf8) {
  const std::wstring wide = Wide(utf8);
  BSTR out = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (out == nullptr) throw std::bad_alloc();
  return out;
}

}  // namespace lirvo::win
