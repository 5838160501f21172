// The ids of the component: its type library, and for each public class the
// class id, the ProgID and the id of its dispinterface. type_library.idl
// carries the same ids.
#pragma once

#include <windows.h>

namespace lirvo::win {

// {7fec6c6f-51f1-4a50-8032-0ea6e6df8158}
inline constexpr GUID kLibId = {
    0x7fec6c6f, 0x51f1, 0x4a50, {0x80, 0x32, 0x0e, 0xa6, 0xe6, 0xdf, 0x81, 0x58}};
inline constexpr WORD kLibMajor = 1;
inline constexpr WORD kLibMinor = 0;
inline constexpr const wchar_t* kLibName = L"plgRefertiLirvo";

// clsAES: {044476d3-9e6d-47ef-920b-68c313096474}, dispinterface _clsAES
// {da72b47e-4963-437f-a19f-1ad52ef70829}.
inline constexpr GUID kClsidAes = {
    0x044476d3, 0x9e6d, 0x47ef, {0x92, 0x0b, 0x68, 0xc3, 0x13, 0x09, 0x64, 0x74}};
inline constexpr GUID kDiidAes = {
    0xda72b47e, 0x4963, 0x437f, {0xa1, 0x9f, 0x1a, 0xd5, 0x2e, 0xf7, 0x08, 0x29}};
inline constexpr const wchar_t* kProgIdAes = L"plgRefertiLirvo.clsAES";

}  // namespace lirvo::win
