#include "win/classes.h"

#include "win/aes_object.h"
#include "win/com_ids.h"
#include "win/plugin_object.h"
#include "win/public_objects.h"

namespace lirvo::win {
namespace {

const CoClass kClasses[] = {
    {kClsidPlugin, kProgIdPlugin, &NewPluginObject},
    {kClsidConfig, kProgIdConfig, &NewConfigObject},
    {kClsidTrascodifica, kProgIdTrascodifica, &NewTrascodificaObject},
    {kClsidItemTrascodifica, kProgIdItemTrascodifica, &NewItemTrascodificaObject},
    {kClsidAes, kProgIdAes, &NewAesObject},
};

}  // namespace

std::span<const CoClass> PublicClasses() { return kClasses; }

const CoClass* FindClass(REFCLSID clsid) {
  for (const CoClass& c : kClasses) {
    if (IsEqualCLSID(c.clsid, clsid)) return &c;
  }
  return nullptr;
}

}  // namespace lirvo::win
