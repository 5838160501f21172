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

// Plugin: {56064e29-d23d-44a5-bdb4-015066122d24}, dispinterface _Plugin
// {f851307f-a669-4902-a970-e8e0e42b3283}.
inline constexpr GUID kClsidPlugin = {
    0x56064e29, 0xd23d, 0x44a5, {0xbd, 0xb4, 0x01, 0x50, 0x66, 0x12, 0x2d, 0x24}};
inline constexpr GUID kDiidPlugin = {
    0xf851307f, 0xa669, 0x4902, {0xa9, 0x70, 0xe8, 0xe0, 0xe4, 0x2b, 0x32, 0x83}};
inline constexpr const wchar_t* kProgIdPlugin = L"plgRefertiLirvo.Plugin";

// The main reports window as the host gets it (not creatable): dispinterface
// _frmRefertiLirvo {4f3939ed-e9ba-4000-9ae3-d83fc9b4a4dc}.
inline constexpr GUID kDiidForm = {
    0x4f3939ed, 0xe9ba, 0x4000, {0x9a, 0xe3, 0xd8, 0x3f, 0xc9, 0xb4, 0xa4, 0xdc}};
inline constexpr const wchar_t* kSourceForm = L"plgRefertiLirvo.frmRefertiLirvo";

// clsConfig: {84c6020c-ab66-4a75-a76b-3eef7fd23944}, dispinterface _clsConfig
// {cbe5c403-7a16-4c79-8b94-fc579842bb0e}.
inline constexpr GUID kClsidConfig = {
    0x84c6020c, 0xab66, 0x4a75, {0xa7, 0x6b, 0x3e, 0xef, 0x7f, 0xd2, 0x39, 0x44}};
inline constexpr GUID kDiidConfig = {
    0xcbe5c403, 0x7a16, 0x4c79, {0x8b, 0x94, 0xfc, 0x57, 0x98, 0x42, 0xbb, 0x0e}};
inline constexpr const wchar_t* kProgIdConfig = L"plgRefertiLirvo.clsConfig";

// clsTrascodifica: {481d0bd9-1526-4fc9-9720-30d3d30f67cc}, dispinterface _clsTrascodifica
// {557fe674-29f8-43ae-8990-d83980300157}.
inline constexpr GUID kClsidTrascodifica = {
    0x481d0bd9, 0x1526, 0x4fc9, {0x97, 0x20, 0x30, 0xd3, 0xd3, 0x0f, 0x67, 0xcc}};
inline constexpr GUID kDiidTrascodifica = {
    0x557fe674, 0x29f8, 0x43ae, {0x89, 0x90, 0xd8, 0x39, 0x80, 0x30, 0x01, 0x57}};
inline constexpr const wchar_t* kProgIdTrascodifica = L"plgRefertiLirvo.clsTrascodifica";

// clsItemTrascodifica: {96022188-b280-46fb-832f-4f045fb46599}, dispinterface _clsItemTrascodifica
// {2616d5ff-ab9e-42fa-8116-a8682e86da64}.
inline constexpr GUID kClsidItemTrascodifica = {
    0x96022188, 0xb280, 0x46fb, {0x83, 0x2f, 0x4f, 0x04, 0x5f, 0xb4, 0x65, 0x99}};
inline constexpr GUID kDiidItemTrascodifica = {
    0x2616d5ff, 0xab9e, 0x42fa, {0x81, 0x16, 0xa8, 0x68, 0x2e, 0x86, 0xda, 0x64}};
inline constexpr const wchar_t* kProgIdItemTrascodifica = L"plgRefertiLirvo.clsItemTrascodifica";

}  // namespace lirvo::win
