// The splash process's window on Win32: a borderless, top-most tool window
// (so no taskbar button) of the picture's size, painted from one prepared
// bitmap, that ends the process when it is clicked.
#include <cstdint>

#include "forms/splash_form.h"
#include "views/win32/tool_dialogs_win32.h"

namespace {

const wchar_t kClassName[] = L"LodestackSplash";

// The picture over the window's face colour (where it is transparent) as
// the blue-green-red rows of a top-down 32-bit bitmap.
HBITMAP Compose(const TPicture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const unsigned back[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
  auto* out = static_cast<std::uint8_t*>(bits);
  const std::size_t pixels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint8_t* in = &picture.rgba[i * 4];
    const unsigned alpha = in[3];
    const unsigned colour[3] = {in[2], in[1], in[0]};
    for (int c = 0; c < 3; ++c) out[i * 4 + c] = static_cast<std::uint8_t>((colour[c] * alpha + back[c] * (255 - alpha)) / 255);
    out[i * 4 + 3] = 0;
  }
  return bitmap;
}

class Win32SplashView final : public SplashView {
 public:
  Win32SplashView() = default;
  ~Win32SplashView() override {
    if (window_) DestroyWindow(window_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  Win32SplashView(const Win32SplashView&) = delete;
  Win32SplashView& operator=(const Win32SplashView&) = delete;

  int ScreenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
  int ScreenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }

  void Show(const TPicture& picture, int left, int top, SplashEvents& events) override {
    events_ = &events;
    bitmap_ = Compose(picture);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, left, top,
                              picture.width, picture.height, nullptr, nullptr, instance, this);
    if (!window_) return;
    // Shown without taking the keyboard from the window the user works in.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
  }

  void RunUntilEnded() override {
    MSG message{};
    while (window_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32SplashView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // the picture covers the whole window
      case WM_PAINT:
        self->Paint();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        self->events_->Image1Click();
        return 0;
      case WM_WINDOWPOSCHANGING: {
        // Whatever moves it, it stays above other windows.
        auto* place = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(place->flags & SWP_NOZORDER)) place->hwndInsertAfter = HWND_TOPMOST;
        return DefWindowProcW(window, message, wParam, lParam);
      }
      case WM_DESTROY:
        // Closed by other means: the run ends too.
        self->window_ = nullptr;
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
  }

  void Paint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    if (!bitmap_) {
      FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
      EndPaint(window_, &paint);
      return;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_);
    BITMAP size{};
    GetObjectW(bitmap_, sizeof(size), &size);
    BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    EndPaint(window_, &paint);
  }

  HWND window_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  SplashEvents* events_ = nullptr;
};

}  // namespace

void RunSplashWindow(const std::string& configIni) {
  Win32SplashView view;
  RunSplashProcess(configIni, view);
}
