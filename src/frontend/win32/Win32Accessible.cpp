#include "frontend/win32/Win32Accessible.h"

#include <atomic>

#include "frontend/win32/Win32Util.h"
#include "platform/win32/SystemLibrary.h"

namespace ui::win32 {

namespace {

// Written out: the GUIDs' libraries would tie the exe to more DLLs.
constexpr GUID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr wchar_t kExposedProp[] = L"SkdAccessible";
// Windows 8's event that a live region changed; Windows 7 passes it by.
constexpr DWORD kLiveRegionChanged = 0x8019;
constexpr GUID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
// UI Automation's LiveSetting property, and its value Polite.
constexpr GUID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr long kPolite = 1;

// oleacc, oleaut32 (the strings a client frees) and ole32 (the apartment
// the objects are handed out from), by their full paths, on first use.
struct OleApi {
  decltype(&::LresultFromObject) LresultFromObject = nullptr;
  decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject = nullptr;
  decltype(&::AccessibleObjectFromWindow) AccessibleObjectFromWindow = nullptr;
  BSTR(WINAPI* SysAllocString)(const OLECHAR*) = nullptr;
  HRESULT(WINAPI* CoInitializeEx)(LPVOID, DWORD) = nullptr;
  HRESULT(WINAPI* CoCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) = nullptr;
};

template <typename Fn>
void Bind(Fn& fn, HMODULE module, const char* name) {
  fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
              : nullptr;
}

const OleApi* Ole() {
  static const OleApi api = [] {
    OleApi a;
    HMODULE ole = platform::LoadSystemLibrary(L"ole32.dll");
    HMODULE aut = platform::LoadSystemLibrary(L"oleaut32.dll");
    HMODULE acc = platform::LoadSystemLibrary(L"oleacc.dll");
    Bind(a.CoInitializeEx, ole, "CoInitializeEx");
    Bind(a.CoCreateInstance, ole, "CoCreateInstance");
    Bind(a.SysAllocString, aut, "SysAllocString");
    Bind(a.LresultFromObject, acc, "LresultFromObject");
    Bind(a.CreateStdAccessibleObject, acc, "CreateStdAccessibleObject");
    Bind(a.AccessibleObjectFromWindow, acc, "AccessibleObjectFromWindow");
    return a;
  }();
  const bool ok = api.LresultFromObject && api.CreateStdAccessibleObject &&
                  api.AccessibleObjectFromWindow && api.SysAllocString && api.CoInitializeEx;
  if (!ok) return nullptr;
  // Objects are marshalled from this thread's apartment.
  static thread_local const bool apartment = [] {
    api.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return true;
  }();
  (void)apartment;
  return &api;
}

IAccPropServices* g_annotationStandIn = nullptr;

IAccPropServices* Annotations() {
  if (g_annotationStandIn) return g_annotationStandIn;
  static IAccPropServices* const service = [] {
    IAccPropServices* s = nullptr;
    const OleApi* ole = Ole();
    if (!ole || !ole->CoCreateInstance ||
        FAILED(ole->CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     kIAccPropServices, reinterpret_cast<void**>(&s))))
      return static_cast<IAccPropServices*>(nullptr);
    return s;
  }();
  return service;
}

void AnnotateLiveParts(HWND window, AccessibleSource& source) {
  source.Annotated = true;
  IAccPropServices* service = Annotations();
  if (!service) return;
  VARIANT polite{};
  polite.vt = VT_I4;
  polite.lVal = kPolite;
  const std::vector<AccessiblePart> parts = source.Parts();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const long child = static_cast<long>(i) + 1;
    if (parts[i].Info.Live &&
        SUCCEEDED(service->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT),
                                       static_cast<DWORD>(child), kLiveSetting, polite)))
      source.LiveChildren.push_back(child);
  }
}

HRESULT PutString(BSTR* out, const std::string& text) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = Ole()->SysAllocString(W(text).c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

long SystemRole(TAccRole role) {
  switch (role) {
    case TAccRole::Frame: return ROLE_SYSTEM_CLIENT;
    case TAccRole::Dialog: return ROLE_SYSTEM_DIALOG;
    case TAccRole::Alert: return ROLE_SYSTEM_ALERT;
    case TAccRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case TAccRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case TAccRole::Label: return ROLE_SYSTEM_STATICTEXT;
    case TAccRole::StatusLine: return ROLE_SYSTEM_STATUSBAR;
    case TAccRole::Picture: return ROLE_SYSTEM_GRAPHIC;
    case TAccRole::Text: return ROLE_SYSTEM_TEXT;
    case TAccRole::Panel: return ROLE_SYSTEM_PANE;
    case TAccRole::Animation: return ROLE_SYSTEM_ANIMATION;
  }
  return ROLE_SYSTEM_CLIENT;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The reference count and the IDispatch no one here needs.
class AccessibleBase : public IAccessible {
 public:
  virtual ~AccessibleBase() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualGUID(riid, kIUnknown) || IsEqualGUID(riid, kIDispatch) ||
        IsEqualGUID(riid, kIAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  std::atomic<ULONG> refs_{1};
};

// The client object of a window that paints its parts.
class WindowObject final : public AccessibleBase {
 public:
  WindowObject(HWND window, std::shared_ptr<AccessibleSource> source)
      : window_(window), source_(std::move(source)) {}

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    return Ole()->AccessibleObjectFromWindow(window_, OBJID_WINDOW, kIDispatch,
                                             reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    if (!n) return E_POINTER;
    if (!Live()) return E_FAIL;
    *n = static_cast<long>(source_->Parts().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    AccessiblePart part;
    if (IsSelf(child) || !Part(child, part)) return E_INVALIDARG;
    return part.Window ? ControlObject(part.Window, out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    TAccessible info;
    if (!Info(child, info)) return E_INVALIDARG;
    return PutString(out, info.Name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    TAccessible info;
    if (!Info(child, info)) return E_INVALIDARG;
    return PutString(out, info.Description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    TAccessible info;
    if (!out) return E_POINTER;
    if (!Info(child, info)) return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = SystemRole(info.Role);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    long state = 0;
    if (IsSelf(child)) {
      if (!Live()) return E_FAIL;
      if (!IsWindowVisible(window_)) state |= STATE_SYSTEM_INVISIBLE;
      if (GetFocus() == window_) state |= STATE_SYSTEM_FOCUSED;
    } else {
      AccessiblePart part;
      if (!Part(child, part)) return E_INVALIDARG;
      if (!part.Visible) state |= STATE_SYSTEM_INVISIBLE;
      if (!part.Enabled) state |= STATE_SYSTEM_UNAVAILABLE;
      if (part.Info.Role == TAccRole::Label || part.Info.Role == TAccRole::StatusLine)
        state |= STATE_SYSTEM_READONLY;
    }
    out->vt = VT_I4;
    out->lVal = state;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    if (GetFocus() != window_) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (out) out->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    AccessiblePart part;
    if (out) *out = nullptr;
    if (IsSelf(child)) return S_FALSE;
    if (!Part(child, part)) return E_INVALIDARG;
    return part.Info.Role == TAccRole::PushButton && !part.Window ? PutString(out, "Нажать")
                                                                   : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                        VARIANT child) override {
    if (!x || !y || !w || !h) return E_POINTER;
    RECT r;
    if (IsSelf(child)) {
      if (!Live()) return E_FAIL;
      GetClientRect(window_, &r);
    } else {
      AccessiblePart part;
      if (!Part(child, part)) return E_INVALIDARG;
      r = part.Bounds;
    }
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *x = r.left, *y = r.top, *w = r.right - r.left, *h = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    if (!Live()) return E_FAIL;
    const long n = static_cast<long>(source_->Parts().size());
    long to = 0;
    if (IsSelf(start)) {
      if (dir == NAVDIR_FIRSTCHILD) to = 1;
      else if (dir == NAVDIR_LASTCHILD) to = n;
    } else if (start.vt == VT_I4) {
      if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT) to = start.lVal + 1;
      else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP || dir == NAVDIR_LEFT) to = start.lVal - 1;
    }
    if (to < 1 || to > n) return S_FALSE;
    return PutChild(to, out);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    if (!Live()) return E_FAIL;
    POINT p{x, y};
    ScreenToClient(window_, &p);
    RECT client;
    GetClientRect(window_, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    const std::vector<AccessiblePart> parts = source_->Parts();
    for (std::size_t i = 0; i < parts.size(); ++i)
      if (parts[i].Visible && PtInRect(&parts[i].Bounds, p))
        return PutChild(static_cast<long>(i) + 1, out);
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    AccessiblePart part;
    if (IsSelf(child) || !Part(child, part)) return E_INVALIDARG;
    if (part.Info.Role != TAccRole::PushButton || part.Window || !source_->Press)
      return DISP_E_MEMBERNOTFOUND;
    if (!part.Visible || !part.Enabled) return E_FAIL;
    source_->Press(child.lVal - 1);
    return S_OK;
  }

 private:
  bool Live() const { return source_->Self && source_->Parts && IsWindow(window_); }
  bool Part(const VARIANT& child, AccessiblePart& out) const {
    if (!Live() || child.vt != VT_I4) return false;
    const std::vector<AccessiblePart> parts = source_->Parts();
    if (child.lVal < 1 || child.lVal > static_cast<long>(parts.size())) return false;
    out = parts[static_cast<std::size_t>(child.lVal - 1)];
    return true;
  }
  bool Info(const VARIANT& child, TAccessible& out) const {
    if (IsSelf(child)) {
      if (!Live()) return false;
      out = source_->Self();
      return true;
    }
    AccessiblePart part;
    if (!Part(child, part)) return false;
    out = part.Info;
    return true;
  }
  static HRESULT ControlObject(HWND control, IDispatch** out) {
    return Ole()->AccessibleObjectFromWindow(control, OBJID_CLIENT, kIDispatch,
                                             reinterpret_cast<void**>(out));
  }
  HRESULT PutChild(long id, VARIANT* out) {
    AccessiblePart part;
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    if (Part(v, part) && part.Window) {
      IDispatch* d = nullptr;
      if (SUCCEEDED(ControlObject(part.Window, &d)) && d) {
        out->vt = VT_DISPATCH;
        out->pdispVal = d;
        return S_OK;
      }
    }
    *out = v;
    return S_OK;
  }

  HWND window_;
  std::shared_ptr<AccessibleSource> source_;
};

// A control's system object with the role, name and description changed.
class ControlWrapper final : public AccessibleBase {
 public:
  ControlWrapper(IAccessible* inner, TAccessible info) : inner_(inner), info_(std::move(info)) {}
  ~ControlWrapper() override { inner_->Release(); }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return inner_->get_accChildCount(n); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
    return inner_->get_accChild(c, p);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* out) override {
    return IsSelf(c) ? PutString(out, info_.Name) : inner_->get_accName(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* out) override {
    return inner_->get_accValue(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* out) override {
    return IsSelf(c) ? PutString(out, info_.Description) : inner_->get_accDescription(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* out) override {
    if (!IsSelf(c)) return inner_->get_accRole(c, out);
    if (!out) return E_POINTER;
    out->vt = VT_I4;
    out->lVal = SystemRole(info_.Role);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* out) override {
    return inner_->get_accState(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* out) override {
    return inner_->get_accHelp(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return inner_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* out) override {
    return inner_->get_accKeyboardShortcut(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return inner_->get_accFocus(out); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    return inner_->get_accSelection(out);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* out) override {
    return inner_->get_accDefaultAction(c, out);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return inner_->accSelect(f, c); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
    return inner_->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* out) override {
    return inner_->accNavigate(d, s, out);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    return inner_->accHitTest(x, y, out);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
    return inner_->accDoDefaultAction(c);
  }

 private:
  IAccessible* inner_;
  TAccessible info_;
};

LRESULT Hand(IAccessible* object, WPARAM wp) {
  const LRESULT r = Ole()->LresultFromObject(kIAccessible, wp, object);
  object->Release();
  return r > 0 ? r : 0;
}

struct Exposed {
  WNDPROC Proc;
  std::function<TAccessible()> Info;
};

LRESULT CALLBACK ExposedProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* e = static_cast<Exposed*>(GetPropW(h, kExposedProp));
  if (!e) return DefWindowProcW(h, msg, wp, lp);
  const WNDPROC proc = e->Proc;
  if (msg == WM_GETOBJECT && static_cast<LONG>(lp) == OBJID_CLIENT && Ole()) {
    IAccessible* inner = nullptr;
    if (SUCCEEDED(Ole()->CreateStdAccessibleObject(h, OBJID_CLIENT, kIAccessible,
                                                   reinterpret_cast<void**>(&inner))) &&
        inner)
      if (LRESULT r = Hand(new ControlWrapper(inner, e->Info()), wp)) return r;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    RemovePropW(h, kExposedProp);
    delete e;
  }
  return CallWindowProcW(proc, h, msg, wp, lp);
}

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wp, LPARAM lp,
                        const std::shared_ptr<AccessibleSource>& source) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT || !Ole()) return 0;
  if (!source->Annotated && source->Parts) AnnotateLiveParts(window, *source);
  return Hand(new WindowObject(window, source), wp);
}

void ForgetAccessible(HWND window, AccessibleSource& source) {
  if (IAccPropServices* service = source.LiveChildren.empty() ? nullptr : Annotations())
    for (const long child : source.LiveChildren)
      service->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), static_cast<DWORD>(child),
                              &kLiveSetting, 1);
  source.LiveChildren.clear();
  source.Disconnect();
}

void UseAnnotationService(IAccPropServices* service) { g_annotationStandIn = service; }

void ExposeControl(HWND control, std::function<TAccessible()> info) {
  if (!control || GetPropW(control, kExposedProp)) return;
  auto* e = new Exposed{nullptr, std::move(info)};
  SetPropW(control, kExposedProp, e);
  e->Proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ExposedProc)));
}

void TellChanges(HWND window, const std::vector<TAccessible>& before,
                 const std::vector<TAccessible>& after) {
  for (const TAccChange& c : AccessibleChanges(before, after)) {
    const LONG child = static_cast<LONG>(c.Index) + 1;
    if (c.Name) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, child);
    if (c.Description) NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, child);
    if (c.Announce) NotifyWinEvent(kLiveRegionChanged, window, OBJID_CLIENT, child);
  }
}

}  // namespace ui::win32
