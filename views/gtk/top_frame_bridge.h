// The path by which a window's top frame asks for what the stack's own pages
// may do and other pages may not: close the window (ending the program from
// the main window), read and write the clipboard, open windows without a
// click. The engine's settings for these hold for every frame of a view, so
// they stay off for the clipboard; the requests come from a script world of
// our own, under names drawn afresh each run, injected into top frames only,
// and each names the document that asked. Frames of other origins cannot
// reach the top page's objects, so they cannot reach the bridge.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

struct TTopFrameRequest {
  enum TKind { kNone, kClose, kOpenBegin, kOpenEnd, kCopy, kReady };
  TKind kind = kNone;
  std::string page;  // the address of the document that asked
  std::string text;  // kCopy: the text copied
  int view = -1;     // the window's number, once the document knows it
};

// A content manager whose views' top frames carry the bridge. Connect to
// TopFrameSignal() on it to receive the requests.
WebKitUserContentManager* NewTopFrameContentManager();
const std::string& TopFrameSignal();
TTopFrameRequest ReadTopFrameRequest(WebKitJavascriptResult* message);

// Tells the top document of the view its window's number, and, when
// `stackPage` names the stack's page shown, the clipboard's text for its
// pastes and reads (kept only by a document of that origin). A popup's
// pages speak through the content manager of the window that opened it, so
// a request names its window by that number.
void TellTopFrame(WebKitWebView* view, int id, const std::string& stackPage);
