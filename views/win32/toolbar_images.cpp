#include "views/win32/toolbar_images.h"

#include <cmath>
#include <functional>
#include <vector>

namespace {

// Drawn on this colour, which the image list makes transparent.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr COLORREF kOutline = RGB(40, 40, 40);

using Painter = std::function<void(HDC dc, int size)>;

void FillPolygon(HDC dc, std::vector<POINT> points, COLORREF fill) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, kOutline);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  ::Polygon(dc, points.data(), static_cast<int>(points.size()));
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void FillEllipse(HDC dc, RECT box, COLORREF fill) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, kOutline);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  ::Ellipse(dc, box.left, box.top, box.right, box.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// An arrow pointing right (or left, mirrored) across a square of `size`.
std::vector<POINT> Arrow(int size, bool left) {
  const int s = size;
  std::vector<POINT> points = {{s / 8, s * 11 / 32}, {s / 2, s * 11 / 32}, {s / 2, s / 8},
                               {s * 7 / 8, s / 2},   {s / 2, s * 7 / 8},   {s / 2, s * 21 / 32},
                               {s / 8, s * 21 / 32}};
  if (left)
    for (POINT& point : points) point.x = s - 1 - point.x;
  return points;
}

void Back(HDC dc, int s) { FillPolygon(dc, Arrow(s, true), RGB(60, 160, 60)); }
void Forward(HDC dc, int s) { FillPolygon(dc, Arrow(s, false), RGB(60, 160, 60)); }

// A ring with a gap and an arrow head on its end.
void Refresh(HDC dc, int s) {
  HPEN pen = CreatePen(PS_SOLID, 4, RGB(40, 100, 200));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  // Counter-clockwise from the top round to the right-hand side.
  Arc(dc, 6, 6, s - 6, s - 6, s / 2, 6, s - 6, s / 2);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  FillPolygon(dc, {{s - 13, s / 2 + 1}, {s, s / 2 + 1}, {s - 6, s / 2 - 7}}, RGB(40, 100, 200));
}

void Stop(HDC dc, int s) {
  const int a = s / 8 + 1;
  const int b = s * 3 / 8;
  const int c = s * 5 / 8;
  const int d = s * 7 / 8 - 1;
  FillPolygon(dc, {{b, a}, {c, a}, {d, b}, {d, c}, {c, d}, {b, d}, {a, c}, {a, b}}, RGB(210, 40, 40));
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, b, b, nullptr);
  LineTo(dc, c, c);
  MoveToEx(dc, c, b, nullptr);
  LineTo(dc, b, c);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void Home(HDC dc, int s) {
  FillPolygon(dc, {{s / 2, 3}, {s - 3, s / 2}, {3, s / 2}}, RGB(190, 60, 40));
  FillPolygon(dc, {{7, s / 2}, {s - 7, s / 2}, {s - 7, s - 4}, {7, s - 4}}, RGB(240, 220, 170));
  FillPolygon(dc, {{s / 2 - 3, s * 2 / 3}, {s / 2 + 3, s * 2 / 3}, {s / 2 + 3, s - 4}, {s / 2 - 3, s - 4}},
          RGB(120, 80, 40));
}

void Favorites(HDC dc, int s) {
  std::vector<POINT> star;
  const double pi = 3.14159265358979;
  for (int i = 0; i < 10; ++i) {
    const double radius = (i % 2 ? 0.2 : 0.45) * s;
    const double angle = -pi / 2 + i * pi / 5;
    star.push_back({static_cast<LONG>(s / 2 + radius * std::cos(angle)),
                    static_cast<LONG>(s / 2 + 1 + radius * std::sin(angle))});
  }
  FillPolygon(dc, star, RGB(250, 200, 40));
}

// A painter's palette with its paints.
void Rebrand(HDC dc, int s) {
  FillEllipse(dc, {3, 6, s - 3, s - 4}, RGB(210, 170, 110));
  const COLORREF paints[] = {RGB(220, 40, 40), RGB(40, 160, 60), RGB(40, 90, 220), RGB(250, 210, 40)};
  for (int i = 0; i < 4; ++i) {
    const int x = 8 + i * (s - 16) / 4;
    FillEllipse(dc, {x, 11 + (i % 2) * 3, x + 6, 17 + (i % 2) * 3}, paints[i]);
  }
  FillEllipse(dc, {s / 2 - 2, s - 12, s / 2 + 4, s - 6}, kMaskColour);
}

void Page(HDC dc, int s) {
  FillPolygon(dc, {{3, 1}, {s - 5, 1}, {s - 3, 3}, {s - 3, s - 2}, {3, s - 2}}, RGB(255, 255, 255));
  for (int y = 5; y < s - 4; y += 3) {
    MoveToEx(dc, 5, y, nullptr);
    LineTo(dc, s - 5, y);
  }
}

HIMAGELIST MakeList(int size, const std::vector<Painter>& painters) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK,
                                     static_cast<int>(painters.size()), 0);
  HDC screen = GetDC(nullptr);
  for (const Painter& paint : painters) {
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    HBRUSH background = CreateSolidBrush(kMaskColour);
    FillRect(dc, &all, background);
    DeleteObject(background);
    paint(dc, size);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(list, bitmap, kMaskColour);
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
  return list;
}

}  // namespace

HIMAGELIST CreateToolbarImages() {
  return MakeList(32, {Back, Forward, Refresh, Stop, Home, Favorites, Rebrand});
}

HIMAGELIST CreateGoImages() { return MakeList(20, {Forward}); }

HIMAGELIST CreateAddressImages() { return MakeList(16, {Page}); }
