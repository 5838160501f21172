#include "win/form_object.h"

#include <olectl.h>

#include "base/runtime_error.h"
#include "win/com_ids.h"
#include "win/dispatch.h"
#include "win/variant_convert.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

struct FormObject : DispatchObject<FormObject> {
  FormObject(std::shared_ptr<host::EmbeddedForm> embedded, NativeWindowMaker maker);

  std::shared_ptr<host::EmbeddedForm> form;
  NativeWindowMaker make_window;
  std::unique_ptr<NativeWindow> window;  // after `form`: it goes first
};

int64_t WindowOf(FormObject& o) {
  if (o.window == nullptr && o.make_window) o.window = o.make_window(*o.form);
  return o.window == nullptr ? 0
                             : static_cast<int64_t>(reinterpret_cast<intptr_t>(o.window->Window()));
}

using Member = DispatchObject<FormObject>::Member;
using Args = const Arguments&;

// In the order of the dispinterface _frmRefertiLirvo.
constexpr Member kMembers[] = {
    {L"Name", 0, [](FormObject& o, Args, Result& r) { r.SetText(o.form->Name()); }},
    {L"Activate", 0, [](FormObject& o, Args, Result&) { o.form->Activate(); }},
    {L"Resize", 2,
     [](FormObject& o, Args a, Result&) {
       o.form->Resize(host::ToLong(a.Value(0)), host::ToLong(a.Value(1)));
     }},
    {L"hWnd", 0, [](FormObject& o, Args, Result& r) { r.SetValue(WindowOf(o)); }},
};

FormObject::FormObject(std::shared_ptr<host::EmbeddedForm> embedded, NativeWindowMaker maker)
    : DispatchObject(kDiidForm, kSourceForm, kMembers),
      form(std::move(embedded)),
      make_window(std::move(maker)) {}

}  // namespace

IDispatch* NewFormObject(std::shared_ptr<host::EmbeddedForm> form, NativeWindowMaker make_window) {
  return new FormObject(std::move(form), std::move(make_window));
}

std::string ComChildForm::Caption() const { return host::ToText(Late().Get("Caption")); }

void ComChildForm::SetCaption(const std::string& caption) { Late().Put("Caption", caption); }

void ComChildForm::SetIcon(const std::string& icon) {
  IDispatch* picture = nullptr;
  const std::wstring path = Wide(icon);
  if (FAILED(::OleLoadPicturePath(const_cast<LPOLESTR>(path.c_str()), nullptr, 0, 0, IID_IDispatch,
                                  reinterpret_cast<void**>(&picture))) ||
      picture == nullptr) {
    return;
  }
  const host::Variant value = std::shared_ptr<host::Dispatch>(std::make_shared<ComObject>(picture));
  picture->Release();  // the ComObject holds its own reference
  Late().Put("Icon", value);
  icon_ = icon;
}

void ComChildForm::Show() { Late().Call("Show"); }

}  // namespace lirvo::win
