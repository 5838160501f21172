#include "win/registration.h"

#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <string>

#include "win/classes.h"
#include "win/com_ids.h"
#include "win/module.h"

// Exported by oleaut32 since Windows Vista; the MinGW headers do not declare
// them.
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help_dir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid,
                                      SYSKIND kind);

namespace lirvo::win {
namespace {

constexpr const wchar_t* kClassesKey = L"Software\\Classes";
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

// The classes key of `hive`, opened to add and remove keys; null when it
// cannot be.
HKEY OpenClasses(HKEY hive) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(hive, kClassesKey, 0, nullptr, 0, KEY_READ | KEY_WRITE | DELETE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

LSTATUS SetText(HKEY classes, const std::wstring& path, const wchar_t* name,
                const std::wstring& value) {
  HKEY key = nullptr;
  LSTATUS status = ::RegCreateKeyExW(classes, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return status;
}

LSTATUS WriteClass(HKEY classes, const CoClass& c, const std::wstring& dll) {
  const std::wstring prog_id = c.prog_id;
  const std::wstring clsid = GuidText(c.clsid);
  const std::wstring key = L"CLSID\\" + clsid;
  const struct {
    std::wstring path;
    const wchar_t* name;
    std::wstring value;
  } values[] = {
      {prog_id, nullptr, prog_id},
      {prog_id + L"\\CLSID", nullptr, clsid},
      {key, nullptr, prog_id},
      {key + L"\\InprocServer32", nullptr, dll},
      {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {key + L"\\ProgID", nullptr, prog_id},
      {key + L"\\TypeLib", nullptr, GuidText(kLibId)},
      {key + L"\\VERSION", nullptr, std::to_wstring(kLibMajor) + L"." + std::to_wstring(kLibMinor)},
  };
  for (const auto& v : values) {
    const LSTATUS status = SetText(classes, v.path, v.name, v.value);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

bool Removed(LSTATUS status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }

// Removes the classes' keys under `classes`; false when some are left.
bool RemoveClasses(HKEY classes) {
  bool clean = true;
  for (const CoClass& c : PublicClasses()) {
    const std::wstring clsid_key = L"CLSID\\" + GuidText(c.clsid);
    clean = Removed(::RegDeleteTreeW(classes, c.prog_id)) && clean;
    clean = Removed(::RegDeleteTreeW(classes, clsid_key.c_str())) && clean;
  }
  return clean;
}

bool HasKey(HKEY classes, const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(classes, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

// True when the machine's classes hold a key of the component.
bool MachineHasClasses() {
  HKEY classes = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClassesKey, 0, KEY_READ, &classes) != ERROR_SUCCESS) {
    return false;
  }
  bool found = false;
  for (const CoClass& c : PublicClasses()) {
    found = found || HasKey(classes, c.prog_id) || HasKey(classes, L"CLSID\\" + GuidText(c.clsid));
  }
  ::RegCloseKey(classes);
  return found;
}

void RemoveTypeLibrary() {
  // Either call fails when its registration is absent; both are tried.
  ::UnRegisterTypeLib(kLibId, kLibMajor, kLibMinor, LOCALE_NEUTRAL, kSysKind);
  ::UnRegisterTypeLibForUser(kLibId, kLibMajor, kLibMinor, LOCALE_NEUTRAL, kSysKind);
}

HRESULT Register() {
  std::wstring dll = ModulePath();
  if (dll.empty()) return SELFREG_E_CLASS;

  bool per_user = false;
  HKEY classes = OpenClasses(HKEY_LOCAL_MACHINE);
  if (classes == nullptr) {
    per_user = true;
    classes = OpenClasses(HKEY_CURRENT_USER);
    if (classes == nullptr) return SELFREG_E_CLASS;
  }
  LSTATUS status = ERROR_SUCCESS;
  for (const CoClass& c : PublicClasses()) {
    status = WriteClass(classes, c, dll);
    if (status != ERROR_SUCCESS) break;
  }
  if (status == ERROR_ACCESS_DENIED && !per_user) {
    // The machine's classes opened but refused a key: the user's then.
    RemoveClasses(classes);
    ::RegCloseKey(classes);
    per_user = true;
    classes = OpenClasses(HKEY_CURRENT_USER);
    if (classes == nullptr) return SELFREG_E_CLASS;
    for (const CoClass& c : PublicClasses()) {
      status = WriteClass(classes, c, dll);
      if (status != ERROR_SUCCESS) break;
    }
  }
  if (status != ERROR_SUCCESS) {
    RemoveClasses(classes);
    ::RegCloseKey(classes);
    return SELFREG_E_CLASS;
  }
  ::RegCloseKey(classes);

  ITypeLib* library = nullptr;
  HRESULT hr = ::LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &library);
  if (SUCCEEDED(hr)) {
    hr = per_user ? ::RegisterTypeLibForUser(library, dll.data(), nullptr)
                  : ::RegisterTypeLib(library, dll.data(), nullptr);
    library->Release();
  }
  if (FAILED(hr)) {
    UnregisterServer();
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

}  // namespace

HRESULT RegisterServer() noexcept {
  try {
    return Register();
  } catch (...) {
    UnregisterServer();
    return E_OUTOFMEMORY;
  }
}

HRESULT UnregisterServer() noexcept {
  try {
    RemoveTypeLibrary();
    bool clean = true;
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      HKEY classes = OpenClasses(hive);
      if (classes == nullptr) continue;
      clean = RemoveClasses(classes) && clean;
      ::RegCloseKey(classes);
    }
    // Keys the user may not remove from the machine's classes are left.
    if (MachineHasClasses()) clean = false;
    return clean ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace lirvo::win
