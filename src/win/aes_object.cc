#include "win/aes_object.h"

#include <windows.h>

#include "crypto/aes.h"
#include "win/com_ids.h"
#include "win/dispatch.h"

namespace lirvo::win {
namespace {

// The member handlers below reach the core object directly.
struct AesObject : DispatchObject<AesObject> {
  AesObject();

  crypto::clsAES aes;
};

using Member = DispatchObject<AesObject>::Member;
using Args = const Arguments&;

// In the order of the dispinterface _clsAES.
constexpr Member kMembers[] = {
    {L"EncryptStr", 1,
     [](AesObject& o, Args a, Result& r) { r.SetText(o.aes.EncryptStr(a.Text(0))); }},
    {L"DecryptStr", 1,
     [](AesObject& o, Args a, Result& r) { r.SetText(o.aes.DecryptStr(a.Text(0))); }},
    {L"EncryptFile", 3,
     [](AesObject& o, Args a, Result& r) {
       r.SetBoolean(o.aes.EncryptFile(a.Text(0), a.Text(1), a.Boolean(2)));
     }},
    {L"DecryptFile", 3,
     [](AesObject& o, Args a, Result& r) {
       r.SetBoolean(o.aes.DecryptFile(a.Text(0), a.Text(1), a.Boolean(2)));
     }},
    {L"plbDecodeStrB64", 1,
     [](AesObject& o, Args a, Result& r) { r.SetText(o.aes.plbDecodeStrB64(a.Text(0))); }},
    {L"plbEncodeStrB64", 1,
     [](AesObject& o, Args a, Result& r) { r.SetText(o.aes.plbEncodeStrB64(a.Text(0))); }},
    {L"Base64DecoderStringMIME", 1,
     [](AesObject& o, Args a, Result& r) { r.SetText(o.aes.Base64DecoderStringMIME(a.Text(0))); }},
    {L"DecryptFileStr", 1,
     [](AesObject& o, Args a, Result& r) { r.SetText(o.aes.DecryptFileStr(a.Text(0))); }},
};

AesObject::AesObject() : DispatchObject(kDiidAes, kProgIdAes, kMembers) {}

}  // namespace

IDispatch* NewAesObject() { return new AesObject(); }

}  // namespace lirvo::win
