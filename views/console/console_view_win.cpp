// The Windows view until the browser window exists: a hidden window of class
// "TfrmMain" that ends the run on WM_CLOSE, on log-off (WM_QUERYENDSESSION)
// and when the program's medium is removed (WM_DEVICECHANGE), and lets the
// form watch its servers twice a second.
#include <windows.h>

#include "forms/main_form.h"
#include "forms/main_view.h"
#include "util/hi.h"
#include "util/wide.h"

namespace {

class HiddenWindowView;
HiddenWindowView* g_view = nullptr;
constexpr UINT_PTR kTickTimer = 1;

class HiddenWindowView : public MainView {
 public:
  HiddenWindowView() : programFile_(THi::GetProgramFile()) {
    g_view = this;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TfrmMain";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, L"TfrmMain", L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    SetTimer(window_, kTickTimer, 500, nullptr);
  }
  ~HiddenWindowView() override {
    if (window_) {
      KillTimer(window_, kTickTimer);
      DestroyWindow(window_);
    }
    g_view = nullptr;
  }

  void Attach(TfrmMain& form) override { form_ = &form; }

  void SetTitle(const std::string& title) override {
    SetWindowTextW(window_, wide::FromUtf8(title).c_str());
  }

  void ProcessMessages() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit_ = true;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  void ShowError(const std::string& message) override {
    MessageBoxW(nullptr, wide::FromUtf8(message).c_str(), L"Error", MB_OK | MB_ICONERROR);
  }

  void OpenHome(const std::string&) override {}

  void RunMessageLoop() override {
    MSG message;
    while (!quit_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  TWindowHandle ApplicationWindow() override { return reinterpret_cast<TWindowHandle>(window_); }
  TWindowHandle ForegroundWindow() override {
    return reinterpret_cast<TWindowHandle>(GetForegroundWindow());
  }

  void QuitApplication() override {
    quit_ = true;
    PostQuitMessage(0);
  }
  bool QuitRequested() const override { return quit_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_view) {
      switch (message) {
        case WM_CLOSE:
          g_view->QuitApplication();
          return 0;
        case WM_QUERYENDSESSION:
          g_view->QuitApplication();
          return 1;
        case WM_DEVICECHANGE:
          if (!THi::FileExists(g_view->programFile_)) g_view->QuitApplication();
          break;
        case WM_TIMER:
          if (wParam == kTickTimer && g_view->form_) g_view->form_->WndProc(TWindowMessage::kAny);
          return 0;
        default:
          break;
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  TfrmMain* form_ = nullptr;
  std::string programFile_;
  bool quit_ = false;
};

}  // namespace

std::unique_ptr<MainView> CreateBackgroundView(const std::string&) { return std::make_unique<HiddenWindowView>(); }
