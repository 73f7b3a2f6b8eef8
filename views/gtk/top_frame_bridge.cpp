#include "views/gtk/top_frame_bridge.h"

#include <gtk/gtk.h>

#include <string_view>

namespace {

// Drawn once a run: no page can know them in advance.
std::string RandomName(const char* prefix) {
  gchar* uuid = g_uuid_string_random();
  std::string name = prefix;
  for (const char* c = uuid; *c; ++c)
    if (*c != '-') name.push_back(*c);
  g_free(uuid);
  return name;
}
const std::string& HandlerName() {
  static const std::string name = RandomName("h");
  return name;
}
const std::string& WorldName() {
  static const std::string name = RandomName("w");
  return name;
}

// In the page's own world: what the page calls. window.close(), an
// unprompted window.open(), execCommand's paste, copy and cut and the
// clipboard's readText() ask the private world by events on the document,
// which only this document and frames of its origin can send. Whatever the
// private world does not take goes to the engine as usual, so other pages
// behave as in an ordinary browser.
constexpr char kPageScript[] = R"JS((function () {
  var doc = document, nativeExec = doc.execCommand, nativeOpen = window.open;
  var clipboard = navigator.clipboard, nativeRead = clipboard && clipboard.readText;
  var text = null;
  doc.addEventListener('lodestack-text', function (e) { text = e.detail; });
  function ask(what) { return !doc.dispatchEvent(new CustomEvent('lodestack-' + what, {cancelable: true})); }
  window.close = function () { ask('close'); };
  window.open = function () {
    ask('open-begin');
    try { return nativeOpen.apply(window, arguments); } finally { ask('open-end'); }
  };
  doc.execCommand = function (command) {
    var name = String(command).toLowerCase();
    if (name === 'paste' && ask('paste')) return true;
    var done = nativeExec.apply(doc, arguments);
    return done || ((name === 'copy' || name === 'cut') && ask(name));
  };
  if (nativeRead) clipboard.readText = function () {
    text = null;
    return ask('read') ? Promise.resolve(text) : nativeRead.call(clipboard);
  };
})();)JS";

// In the private world, which the page cannot see into: it takes the page's
// requests to the window, and keeps the clipboard's text that the window
// hands to a document of the stack, since a paste must be answered at once.
constexpr char kWorldScript[] = R"JS((function () {
  var doc = document, handler = window.webkit.messageHandlers.@HANDLER@, text = null;
  // Which window this is, once the window has said it; a close waits for it.
  var view = -1, waiting = [];
  function send(message) { message.view = view; handler.postMessage(message); }
  function post(kind, copied) {
    var message = {kind: kind, page: location.href, text: copied || ''};
    if (kind === 'close' && view < 0) waiting.push(message); else send(message);
  }
  function on(what, act) {
    doc.addEventListener('lodestack-' + what, function (e) { if (act()) e.preventDefault(); });
  }
  ['close', 'open-begin', 'open-end'].forEach(function (what) { on(what, function () { post(what); return true; }); });
  on('read', function () {
    if (text === null) return false;
    doc.dispatchEvent(new CustomEvent('lodestack-text', {detail: text}));
    return true;
  });
  on('paste', function () { return text !== null && doc.execCommand('insertText', false, text); });
  function copy(cut) {
    var field = doc.activeElement, selected;
    if (field && typeof field.selectionStart === 'number' && typeof field.value === 'string')
      selected = field.value.substring(field.selectionStart, field.selectionEnd);
    else
      selected = String(window.getSelection());
    if (!selected) return false;
    text = selected;
    post('copy', selected);
    if (cut) doc.execCommand('delete');
    return true;
  }
  on('copy', function () { return copy(false); });
  on('cut', function () { return copy(true); });
  window.lodestackWindow = function (id, copied, page) {
    view = id;
    if (page && new URL(page).origin === location.origin) text = copied;
    waiting.splice(0).forEach(send);
  };
  post('ready');
})();)JS";

std::string WorldScript() {
  std::string script = kWorldScript;
  constexpr std::string_view kPlaceholder = "@HANDLER@";
  script.replace(script.find(kPlaceholder), kPlaceholder.size(), HandlerName());
  return script;
}

void AddTopFrameScript(WebKitUserContentManager* manager, const std::string& source, const char* world) {
  constexpr auto kTop = WEBKIT_USER_CONTENT_INJECT_TOP_FRAME;
  constexpr auto kStart = WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START;
  WebKitUserScript* script =
      world ? webkit_user_script_new_for_world(source.c_str(), kTop, kStart, world, nullptr, nullptr)
            : webkit_user_script_new(source.c_str(), kTop, kStart, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  webkit_user_script_unref(script);
}

std::string StringProperty(JSCValue* object, const char* name) {
  JSCValue* value = jsc_value_object_get_property(object, name);
  std::string text;
  if (jsc_value_is_string(value)) {
    gchar* chars = jsc_value_to_string(value);
    text = chars ? chars : "";
    g_free(chars);
  }
  g_object_unref(value);
  return text;
}

struct TDelivery {
  WebKitWebView* view;
  int id;
  std::string page;
};

// A document that has not yet set up its side is told when it says it has.
void Deliver(const TDelivery& delivery, const char* text) {
  GVariantBuilder arguments;
  g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&arguments, "{sv}", "id", g_variant_new_int32(delivery.id));
  g_variant_builder_add(&arguments, "{sv}", "copied", g_variant_new_string(text ? text : ""));
  g_variant_builder_add(&arguments, "{sv}", "page", g_variant_new_string(delivery.page.c_str()));
  webkit_web_view_call_async_javascript_function(
      delivery.view, "if (window.lodestackWindow) lodestackWindow(id, copied, page);", -1,
      g_variant_builder_end(&arguments), WorldName().c_str(), nullptr, nullptr, nullptr, nullptr);
}

void DeliverClipboardText(GtkClipboard*, const gchar* text, gpointer data) {
  auto* delivery = static_cast<TDelivery*>(data);
  Deliver(*delivery, text);
  g_object_unref(delivery->view);
  delete delivery;
}

}  // namespace

WebKitUserContentManager* NewTopFrameContentManager() {
  WebKitUserContentManager* manager = webkit_user_content_manager_new();
  AddTopFrameScript(manager, kPageScript, nullptr);
  AddTopFrameScript(manager, WorldScript(), WorldName().c_str());
  webkit_user_content_manager_register_script_message_handler_in_world(manager, HandlerName().c_str(),
                                                                       WorldName().c_str());
  return manager;
}

const std::string& TopFrameSignal() {
  static const std::string signal = "script-message-received::" + HandlerName();
  return signal;
}

TTopFrameRequest ReadTopFrameRequest(WebKitJavascriptResult* result) {
  TTopFrameRequest request;
  JSCValue* message = webkit_javascript_result_get_js_value(result);
  if (!jsc_value_is_object(message)) return request;
  const std::string kind = StringProperty(message, "kind");
  if (kind == "close") request.kind = TTopFrameRequest::kClose;
  if (kind == "open-begin") request.kind = TTopFrameRequest::kOpenBegin;
  if (kind == "open-end") request.kind = TTopFrameRequest::kOpenEnd;
  if (kind == "copy") request.kind = TTopFrameRequest::kCopy;
  if (kind == "ready") request.kind = TTopFrameRequest::kReady;
  request.page = StringProperty(message, "page");
  JSCValue* view = jsc_value_object_get_property(message, "view");
  if (jsc_value_is_number(view)) request.view = jsc_value_to_int32(view);
  g_object_unref(view);
  request.text = StringProperty(message, "text");
  return request;
}

void TellTopFrame(WebKitWebView* view, int id, const std::string& stackPage) {
  if (stackPage.empty()) {
    Deliver({view, id, ""}, "");
    return;
  }
  gtk_clipboard_request_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), DeliverClipboardText,
                             new TDelivery{WEBKIT_WEB_VIEW(g_object_ref(view)), id, stackPage});
}
