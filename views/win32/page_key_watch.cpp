// The page's handlers run as the key message is dispatched to the control's
// window, at the focused element first and then up to its document; one that
// stops the event there keeps it from the document, so both are listened to.
// Which of a target's handlers runs first, the page's or ours, is the
// engine's choice: the answer is read at each of our calls and once more from
// the event after the dispatch, and any "prevented" counts.
#include "views/win32/page_key_watch.h"

#include <mshtml.h>
#include <mshtmdid.h>
#include <ocidl.h>

// COM interfaces have no virtual destructors: an object deletes itself in
// its own Release, never through an interface pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

// The system's uuid library lacks these two.
constexpr IID kDocumentEvents = {0x3050f613, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kElementEvents = {0x3050f60f, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr IID kDomEvent = {0x305104ba, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
// Frames in frames, as deep as a page may reasonably nest them.
constexpr int kMaxFrameDepth = 8;

template <typename T>
T* Query(IUnknown* object, const IID& iid) {
  T* result = nullptr;
  if (!object || FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&result)))) return nullptr;
  return result;
}

// A handler's "return false", event.returnValue = false or preventDefault().
bool DefaultPrevented(IHTMLEventObj* event) {
  VARIANT value;
  VariantInit(&value);
  bool prevented = SUCCEEDED(event->get_returnValue(&value)) && value.vt == VT_BOOL &&
                   value.boolVal == VARIANT_FALSE;
  VariantClear(&value);
  if (IDOMEvent* dom = Query<IDOMEvent>(event, kDomEvent)) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    prevented = prevented || (SUCCEEDED(dom->get_defaultPrevented(&flag)) && flag != VARIANT_FALSE);
    dom->Release();
  }
  return prevented;
}

// The document whose element has focus: frames are followed inwards as far
// as the page lets us in (a frame of another site does not).
IHTMLDocument2* FocusedDocument(IWebBrowser2* browser) {
  IDispatch* top = nullptr;
  if (!browser || FAILED(browser->get_Document(&top)) || !top) return nullptr;
  IHTMLDocument2* document = Query<IHTMLDocument2>(top, IID_IHTMLDocument2);
  top->Release();
  for (int depth = 0; document && depth < kMaxFrameDepth; ++depth) {
    IHTMLElement* active = nullptr;
    if (FAILED(document->get_activeElement(&active)) || !active) break;
    IHTMLFrameBase2* frame = Query<IHTMLFrameBase2>(active, IID_IHTMLFrameBase2);
    active->Release();
    IHTMLWindow2* window = nullptr;
    if (frame) frame->get_contentWindow(&window);
    if (frame) frame->Release();
    IHTMLDocument2* inner = nullptr;
    if (window) window->get_document(&inner);
    if (window) window->Release();
    if (!inner) break;
    document->Release();
    document = inner;
  }
  return document;
}

}  // namespace

class PageKeyWatch::Sink final : public IDispatch {
 public:
  explicit Sink(int key) : key_(key) {}

  bool Prevented() const { return prevented_ || (event_ && DefaultPrevented(event_)); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kDocumentEvents && iid != kElementEvents)
      return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  // Every other event of the two interfaces is left alone; the result stays
  // empty, which cancels nothing.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (id != DISPID_HTMLDOCUMENTEVENTS2_ONKEYDOWN || !params || params->cArgs < 1) return S_OK;
    const VARIANT& argument = params->rgvarg[params->cArgs - 1];
    if (argument.vt != VT_DISPATCH) return S_OK;
    IHTMLEventObj* event = Query<IHTMLEventObj>(argument.pdispVal, IID_IHTMLEventObj);
    if (!event) return S_OK;
    long keyCode = 0;
    if (SUCCEEDED(event->get_keyCode(&keyCode)) && keyCode == key_) {
      prevented_ = prevented_ || DefaultPrevented(event);
      if (!event_) {
        event_ = event;
        event->AddRef();
      }
    }
    event->Release();
    return S_OK;
  }

 private:
  ~Sink() {
    if (event_) event_->Release();
  }

  ULONG references_ = 1;
  int key_;
  bool prevented_ = false;
  IHTMLEventObj* event_ = nullptr;
};

PageKeyWatch::PageKeyWatch(IWebBrowser2* browser, int key) : sink_(new Sink(key)) {
  IHTMLDocument2* document = FocusedDocument(browser);
  if (!document) return;
  IHTMLElement* active = nullptr;
  if (SUCCEEDED(document->get_activeElement(&active)) && active) {
    Listen(active, kElementEvents);
    active->Release();
  }
  Listen(document, kDocumentEvents);
  document->Release();
}

PageKeyWatch::~PageKeyWatch() {
  for (const Connection& connection : connections_) {
    connection.point->Unadvise(connection.cookie);
    connection.point->Release();
  }
  sink_->Release();
}

bool PageKeyWatch::Prevented() const { return sink_->Prevented(); }

void PageKeyWatch::Listen(IUnknown* source, const IID& events) {
  IConnectionPointContainer* container = Query<IConnectionPointContainer>(source, IID_IConnectionPointContainer);
  if (!container) return;
  IConnectionPoint* point = nullptr;
  if (SUCCEEDED(container->FindConnectionPoint(events, &point)) && point) {
    DWORD cookie = 0;
    if (SUCCEEDED(point->Advise(sink_, &cookie)))
      connections_.push_back({point, cookie});
    else
      point->Release();
  }
  container->Release();
}
