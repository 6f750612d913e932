#include "lib/win/Accessible.h"

#include "lib/win/WinText.h"

namespace {

struct TOleacc {
  decltype(&LresultFromObject) ResultFromObject = nullptr;
  decltype(&CreateStdAccessibleObject) StdObject = nullptr;
};

const TOleacc& Oleacc() {
  static const TOleacc oleacc = [] {
    TOleacc o;
    if (HMODULE dll = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
      o.ResultFromObject = reinterpret_cast<decltype(o.ResultFromObject)>(
          reinterpret_cast<void*>(GetProcAddress(dll, "LresultFromObject")));
      o.StdObject = reinterpret_cast<decltype(o.StdObject)>(
          reinterpret_cast<void*>(GetProcAddress(dll, "CreateStdAccessibleObject")));
    }
    return o;
  }();
  return oleacc;
}

// S_FALSE with no text, as IAccessible reports a property that an object does not have.
HRESULT Text(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  const std::wstring wide = Wide(text);
  *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Long(long value, VARIANT* out) {
  if (!out) return E_POINTER;
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

HRESULT Nothing(VARIANT* out) {
  if (!out) return E_POINTER;
  out->vt = VT_EMPTY;
  return S_FALSE;
}

}  // namespace

LRESULT TAccessible::Answer(WPARAM wp) {
  const auto result = Oleacc().ResultFromObject;
  if (!result) return 0;
  const LRESULT r = result(__uuidof(IAccessible), wp, static_cast<IAccessible*>(this));
  return r < 0 ? 0 : r;
}

long TAccessible::ChildOf(const VARIANT& v) const {
  if (!window_ || v.vt != VT_I4 || v.lVal < CHILDID_SELF || v.lVal > Children()) return -1;
  return v.lVal;
}

HRESULT TAccessible::NoSuchChild() const { return window_ ? E_INVALIDARG : CO_E_OBJNOTCONNECTED; }

STDMETHODIMP TAccessible::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TAccessible::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TAccessible::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return left;
}

// No type library: clients call IAccessible directly.
STDMETHODIMP TAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}
STDMETHODIMP TAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP TAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP TAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

STDMETHODIMP TAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!window_) return CO_E_OBJNOTCONNECTED;
  const auto create = Oleacc().StdObject;
  if (!create) return E_FAIL;
  // The client area's parent is the window's own object (frame, scroll bars, client).
  return create(window_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
}

STDMETHODIMP TAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  if (!window_) return CO_E_OBJNOTCONNECTED;
  *count = Children();
  return S_OK;
}

STDMETHODIMP TAccessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  // The children are simple elements: they have no object of their own.
  return c == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
}

STDMETHODIMP TAccessible::get_accName(VARIANT child, BSTR* name) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return Text(Name(c), name);
}

STDMETHODIMP TAccessible::get_accValue(VARIANT child, BSTR* value) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return Text("", value);
}

STDMETHODIMP TAccessible::get_accDescription(VARIANT child, BSTR* text) { return get_accValue(child, text); }
STDMETHODIMP TAccessible::get_accHelp(VARIANT child, BSTR* help) { return get_accValue(child, help); }

STDMETHODIMP TAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return S_FALSE;
}

STDMETHODIMP TAccessible::get_accRole(VARIANT child, VARIANT* role) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return Long(Role(c), role);
}

STDMETHODIMP TAccessible::get_accState(VARIANT child, VARIANT* state) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return Long(State(c), state);
}

STDMETHODIMP TAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* keys) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return Text(Shortcut(c), keys);
}

STDMETHODIMP TAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return Text(DefaultAction(c), action);
}

// Nothing here takes the keyboard focus or can be selected.
STDMETHODIMP TAccessible::get_accFocus(VARIANT* child) { return window_ ? Nothing(child) : CO_E_OBJNOTCONNECTED; }
STDMETHODIMP TAccessible::get_accSelection(VARIANT* children) {
  return window_ ? Nothing(children) : CO_E_OBJNOTCONNECTED;
}
STDMETHODIMP TAccessible::accSelect(long, VARIANT child) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  return S_FALSE;
}

STDMETHODIMP TAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  RECT r;
  if (c == CHILDID_SELF) GetClientRect(window_, &r);
  else r = ChildRect(c);
  MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

STDMETHODIMP TAccessible::accNavigate(long dir, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  end->vt = VT_EMPTY;
  const long c = ChildOf(start);
  if (c < 0) return NoSuchChild();
  const long n = Children();
  long to = 0;
  if (c == CHILDID_SELF && dir == NAVDIR_FIRSTCHILD) to = n > 0 ? 1 : 0;
  else if (c == CHILDID_SELF && dir == NAVDIR_LASTCHILD) to = n;
  else if (c != CHILDID_SELF && (dir == NAVDIR_NEXT || dir == NAVDIR_RIGHT)) to = c < n ? c + 1 : 0;
  else if (c != CHILDID_SELF && (dir == NAVDIR_PREVIOUS || dir == NAVDIR_LEFT)) to = c - 1;
  return to > 0 ? Long(to, end) : S_FALSE;
}

STDMETHODIMP TAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  child->vt = VT_EMPTY;
  if (!window_) return CO_E_OBJNOTCONNECTED;
  POINT p{x, y};
  ScreenToClient(window_, &p);
  RECT client;
  GetClientRect(window_, &client);
  if (!PtInRect(&client, p)) return S_FALSE;
  for (long c = 1; c <= Children(); ++c) {
    const RECT r = ChildRect(c);
    if (PtInRect(&r, p)) return Long(c, child);
  }
  return Long(CHILDID_SELF, child);
}

STDMETHODIMP TAccessible::accDoDefaultAction(VARIANT child) {
  const long c = ChildOf(child);
  if (c < 0) return NoSuchChild();
  if (DefaultAction(c).empty()) return DISP_E_MEMBERNOTFOUND;
  DoDefaultAction(c);
  return S_OK;
}

STDMETHODIMP TAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
STDMETHODIMP TAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }
