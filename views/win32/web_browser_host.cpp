// How the pieces fit. The WebBrowser control is an OLE object that needs a
// container: our Site object is its client site (IOleClientSite), the place it
// is activated in (IOleInPlaceSite), the frame and the document window it
// negotiates tools with (IOleInPlaceFrame, which answers for
// IOleInPlaceUIWindow too) and, as an IDispatch, the sink of its events
// (DWebBrowserEvents2) and the source of its ambient properties, which we
// leave at their defaults. The site is created with the control, activated in
// place inside the browser window's client area, and connected to the
// control's event connection point; the host keeps the control's
// IWebBrowser2 for the calls the forms make. Teardown runs the other way:
// unadvise, close the object, drop the client site, release. Every COM detail
// of the program stays in this file and in page_key_watch.cpp, which asks
// the page's document whether a key's default was prevented.
#include "views/win32/web_browser_host.h"

#include <ole2.h>
// The OLE headers above must come first.
#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include "util/wide.h"
#include "views/win32/page_key_watch.h"

// COM interfaces have no virtual destructors: an object deletes itself in
// its own Release, never through an interface pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

constexpr int kReadyStateUninitialized = 0;

std::string FromBstr(BSTR text) { return text ? wide::ToUtf8(text, SysStringLen(text)) : ""; }

// The argument `index` of an event, counted from the first as declared
// (DISPPARAMS hold them last first).
VARIANT* Argument(DISPPARAMS* params, UINT index) {
  if (!params || index >= params->cArgs) return nullptr;
  return &params->rgvarg[params->cArgs - 1 - index];
}

long LongOf(VARIANT* value) {
  if (!value) return 0;
  VARIANT converted;
  VariantInit(&converted);
  long result = 0;
  if (SUCCEEDED(VariantChangeType(&converted, value, 0, VT_I4))) result = converted.lVal;
  VariantClear(&converted);
  return result;
}

std::string TextOf(VARIANT* value) {
  if (!value) return "";
  if (value->vt == VT_BSTR) return FromBstr(value->bstrVal);
  if (value->vt == (VT_BSTR | VT_BYREF) && value->pbstrVal) return FromBstr(*value->pbstrVal);
  return "";
}

}  // namespace

class WebBrowserHost::Site final : public IOleClientSite, public IOleInPlaceSite,
                             public IOleInPlaceFrame, public IDispatch {
 public:
  explicit Site(HWND parent) : parent_(parent) {}

  // Creates and activates the control; false when the system has none.
  bool Embed() {
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object_))))
      return false;
    if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(this)))) return false;
    OleSetContainedObject(object_, TRUE);
    GetClientRect(parent_, &area_);
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                               static_cast<IOleClientSite*>(this), 0, parent_, &area_)))
      return false;
    if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))))
      return false;
    IConnectionPointContainer* container = nullptr;
    if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&container)))) {
      if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_point_)))
        events_point_->Advise(static_cast<IDispatch*>(this), &cookie_);
      container->Release();
    }
    return true;
  }

  void Unembed() {
    events_ = nullptr;
    if (events_point_) {
      if (cookie_) events_point_->Unadvise(cookie_);
      events_point_->Release();
      events_point_ = nullptr;
    }
    if (browser_) {
      browser_->Release();
      browser_ = nullptr;
    }
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
      object_->Release();
      object_ = nullptr;
    }
  }

  IWebBrowser2* Browser() const { return browser_; }
  // The control's own window, the parent of the page's.
  HWND ControlWindow() const {
    IOleInPlaceObject* inPlace = nullptr;
    HWND window = nullptr;
    if (object_ && SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject,
                                                     reinterpret_cast<void**>(&inPlace)))) {
      inPlace->GetWindow(&window);
      inPlace->Release();
    }
    return window;
  }
  BrowserEvents* events_ = nullptr;
  TWindowRequest request_;

  void Resize(const RECT& area) {
    area_ = area;
    IOleInPlaceObject* inPlace = nullptr;
    if (object_ && SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject,
                                                     reinterpret_cast<void**>(&inPlace)))) {
      inPlace->SetObjectRects(&area_, &area_);
      inPlace->Release();
    }
  }

  // IUnknown, shared by every interface of the site.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
      *out = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite: nothing is saved, there is no moniker or container.
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (for the in-place site and the frame alike).
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = parent_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite: the control lives in the parent's client area.
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame) {
      *frame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (document) *document = nullptr;
    if (position) *position = area_;
    if (clip) *clip = area_;
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = GetAncestor(parent_, GA_ROOT);
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: the window has no room for the
  // control's own tools and menus.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the control's events. Ambient-property queries (negative
  // dispatch ids) are not answered, so the control keeps its defaults.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    AddRef();  // an event handler may close the window that holds us
    const HRESULT result = Event(id, params);
    Release();
    return result;
  }

 private:
  ~Site() = default;

  HRESULT Event(DISPID id, DISPPARAMS* params) {
    switch (id) {
      case DISPID_STATUSTEXTCHANGE:
        if (events_) events_->WebBrowser1StatusTextChange(TextOf(Argument(params, 0)));
        return S_OK;
      case DISPID_TITLECHANGE:
        if (events_) events_->WebBrowser1TitleChange(TextOf(Argument(params, 0)));
        return S_OK;
      case DISPID_COMMANDSTATECHANGE:
        if (events_)
          events_->WebBrowser1CommandStateChange(LongOf(Argument(params, 0)),
                                                 LongOf(Argument(params, 1)) != 0);
        return S_OK;
      case DISPID_PROGRESSCHANGE:
        if (events_)
          events_->WebBrowser1ProgressChange(LongOf(Argument(params, 0)), LongOf(Argument(params, 1)));
        return S_OK;
      case DISPID_NEWWINDOW2:
        NewWindow(Argument(params, 0), Argument(params, 1));
        return S_OK;
      case DISPID_BEFORENAVIGATE2:
        if (events_) events_->WebBrowser1BeforeNavigate2();
        return S_OK;
      case DISPID_WINDOWCLOSING: {
        // The window goes through the form, not by the control's own close.
        VARIANT* cancel = Argument(params, 1);
        if (cancel && cancel->vt == (VT_BOOL | VT_BYREF) && cancel->pboolVal)
          *cancel->pboolVal = VARIANT_TRUE;
        if (events_) events_->WebBrowser1Close();
        return S_OK;
      }
      case DISPID_WINDOWSETLEFT:
        request_.hasPosition = true;
        request_.left = LongOf(Argument(params, 0));
        return S_OK;
      case DISPID_WINDOWSETTOP:
        request_.hasPosition = true;
        request_.top = LongOf(Argument(params, 0));
        return S_OK;
      case DISPID_WINDOWSETWIDTH:
        request_.width = LongOf(Argument(params, 0));
        return S_OK;
      case DISPID_WINDOWSETHEIGHT:
        request_.height = LongOf(Argument(params, 0));
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  // The page asks for a new window: the form names the engine that is to
  // load it; without one the request is refused.
  void NewWindow(VARIANT* target, VARIANT* cancel) {
    BrowserEngine* engine = events_ ? events_->WebBrowser1NewWindow2() : nullptr;
    auto* host = dynamic_cast<WebBrowserHost*>(engine);
    IDispatch* dispatch = host ? host->NewWindowTarget() : nullptr;
    if (target && target->vt == (VT_DISPATCH | VT_BYREF) && target->ppdispVal)
      *target->ppdispVal = dispatch;
    else if (dispatch)
      dispatch->Release();
    if (!dispatch && cancel && cancel->vt == (VT_BOOL | VT_BYREF) && cancel->pboolVal)
      *cancel->pboolVal = VARIANT_TRUE;
  }

  ULONG references_ = 1;
  HWND parent_;
  RECT area_{};
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  IConnectionPoint* events_point_ = nullptr;
  DWORD cookie_ = 0;
};

WebBrowserHost::WebBrowserHost(HWND parent) {
  site_ = new Site(parent);
  if (!site_->Embed()) {
    site_->Unembed();
    site_->Release();
    site_ = nullptr;
  }
}

WebBrowserHost::~WebBrowserHost() {
  if (!site_) return;
  site_->Unembed();
  site_->Release();
}

bool WebBrowserHost::Embedded() const { return site_ != nullptr; }

void WebBrowserHost::Resize(const RECT& area) {
  if (site_) site_->Resize(area);
}

void WebBrowserHost::SetRegisterAsBrowser(bool value) {
  if (site_) site_->Browser()->put_RegisterAsBrowser(value ? VARIANT_TRUE : VARIANT_FALSE);
}

IDispatch* WebBrowserHost::NewWindowTarget() {
  IDispatch* dispatch = nullptr;
  if (site_) site_->Browser()->get_Application(&dispatch);
  return dispatch;
}

bool WebBrowserHost::ForwardKey(MSG& message) {
  if (!site_) return false;
  IDispatch* application = nullptr;
  if (FAILED(site_->Browser()->get_Application(&application)) || !application) return false;
  IOleInPlaceActiveObject* active = nullptr;
  bool taken = false;
  if (SUCCEEDED(application->QueryInterface(IID_IOleInPlaceActiveObject,
                                            reinterpret_cast<void**>(&active)))) {
    taken = active->TranslateAccelerator(&message) == S_OK;
    active->Release();
  }
  application->Release();
  return taken;
}

bool WebBrowserHost::HasFocus(HWND window) const {
  HWND control = site_ ? site_->ControlWindow() : nullptr;
  return control && window && (window == control || IsChild(control, window));
}

bool WebBrowserHost::DispatchToPage(MSG& message) {
  const PageKeyWatch watch(site_ ? site_->Browser() : nullptr, static_cast<int>(message.wParam));
  DispatchMessageW(&message);
  // Only the watch is read now: the dispatch may have ended this host.
  return watch.Prevented();
}

void WebBrowserHost::SetZoom(int percent) {
  if (!site_) return;
  VARIANT level;
  VariantInit(&level);
  level.vt = VT_I4;
  level.lVal = percent;
  site_->Browser()->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &level, nullptr);
}

// The prompt is the control's print dialog; a silent control still shows it.
void WebBrowserHost::Print() {
  if (site_) site_->Browser()->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER, nullptr, nullptr);
}

void WebBrowserHost::SetEvents(BrowserEvents* events) {
  if (site_) site_->events_ = events;
}

void WebBrowserHost::Navigate(const std::string& address) {
  if (!site_) return;
  BSTR url = SysAllocString(wide::FromUtf8(address).c_str());
  VARIANT empty;
  VariantInit(&empty);
  site_->Browser()->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
}

// Errors (an empty history) are the control's and change nothing.
void WebBrowserHost::GoBack() {
  if (site_) site_->Browser()->GoBack();
}

void WebBrowserHost::GoForward() {
  if (site_) site_->Browser()->GoForward();
}

void WebBrowserHost::Refresh() {
  if (site_) site_->Browser()->Refresh();
}

void WebBrowserHost::Stop() {
  if (site_) site_->Browser()->Stop();
}

std::string WebBrowserHost::LocationURL() const {
  if (!site_) return "";
  BSTR url = nullptr;
  if (FAILED(site_->Browser()->get_LocationURL(&url))) return "";
  const std::string text = FromBstr(url);
  SysFreeString(url);
  return text;
}

bool WebBrowserHost::Busy() const {
  VARIANT_BOOL busy = VARIANT_FALSE;
  if (site_) site_->Browser()->get_Busy(&busy);
  return busy != VARIANT_FALSE;
}

// The null engine has nothing to load, so it is always complete: the splash
// does not wait for a page that can never come.
int WebBrowserHost::ReadyState() const {
  if (!site_) return kReadyStateComplete;
  READYSTATE state = READYSTATE_UNINITIALIZED;
  if (FAILED(site_->Browser()->get_ReadyState(&state))) return kReadyStateUninitialized;
  return static_cast<int>(state);
}

void WebBrowserHost::SetSilent(bool silent) {
  if (site_) site_->Browser()->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
}

TWindowRequest WebBrowserHost::WindowRequest() const {
  if (!site_) return {};
  TWindowRequest request = site_->request_;
  VARIANT_BOOL value = VARIANT_TRUE;
  IWebBrowser2* browser = site_->Browser();
  if (SUCCEEDED(browser->get_MenuBar(&value))) request.menuBar = value != VARIANT_FALSE;
  int toolBar = 1;
  if (SUCCEEDED(browser->get_ToolBar(&toolBar))) request.toolBar = toolBar != 0;
  if (SUCCEEDED(browser->get_AddressBar(&value))) request.addressBar = value != VARIANT_FALSE;
  if (SUCCEEDED(browser->get_StatusBar(&value))) request.statusBar = value != VARIANT_FALSE;
  return request;
}
