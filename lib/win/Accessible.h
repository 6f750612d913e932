// Active Accessibility for windows that draw their own parts, so that a screen reader can see,
// name and use them. oleacc is not a Known DLL: the installer loads it from the system folder
// when a client first asks, and never imports it.
#pragma once
#include <windows.h>

#include <oleacc.h>

#include <string>

// An IAccessible over a window's client area with `Children()` simple children (ids 1..n). The
// window holds a reference and calls Disconnect as it goes; clients may keep theirs longer,
// and every call they make after that fails without touching the window.
class TAccessible : public IAccessible {
 public:
  explicit TAccessible(HWND window) : window_(window) {}
  TAccessible(const TAccessible&) = delete;
  TAccessible& operator=(const TAccessible&) = delete;
  void Disconnect() { window_ = nullptr; }
  // The answer to WM_GETOBJECT for OBJID_CLIENT; 0 when oleacc cannot be loaded.
  LRESULT Answer(WPARAM wp);

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

  STDMETHODIMP get_accParent(IDispatch** parent) override;
  STDMETHODIMP get_accChildCount(long* count) override;
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override;
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override;
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
  STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override;
  STDMETHODIMP get_accFocus(VARIANT* child) override;
  STDMETHODIMP get_accSelection(VARIANT* children) override;
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
  STDMETHODIMP accSelect(long flags, VARIANT child) override;
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  STDMETHODIMP accNavigate(long dir, VARIANT start, VARIANT* end) override;
  STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override;
  STDMETHODIMP accDoDefaultAction(VARIANT child) override;
  STDMETHODIMP put_accName(VARIANT, BSTR) override;
  STDMETHODIMP put_accValue(VARIANT, BSTR) override;

 protected:
  virtual ~TAccessible() = default;
  HWND Window() const { return window_; }
  // Child 0 is the window's client area itself; the others exist while 1 <= child <= Children().
  virtual long Children() const { return 0; }
  virtual std::string Name(long child) const = 0;
  virtual long Role(long child) const = 0;
  virtual long State(long child) const = 0;
  virtual std::string Shortcut(long) const { return ""; }
  virtual std::string DefaultAction(long) const { return ""; }
  virtual void DoDefaultAction(long) {}
  // Place of a child in the window's client pixels.
  virtual RECT ChildRect(long) const { return {}; }

 private:
  // The child a VARIANT names, or -1 when there is none (or the window has gone).
  long ChildOf(const VARIANT& v) const;
  // What a call about a child that ChildOf refused returns: a bad id, or an object whose window is gone.
  HRESULT NoSuchChild() const;
  LONG refs_ = 1;
  HWND window_;
};
