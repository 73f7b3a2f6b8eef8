// The Rebrand dialog's texts and rows, as the form declares them: each
// toolkit's view places its controls from this table, so both show the same
// captions, lists and frames in the same order.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "forms/brand_form.h"

struct TBrandRow {
  enum TKind { kEditAndBrowse, kEdit, kTwoLists, kListAndPort, kWideList };
  const char* caption;
  TKind kind;
  int top;     // of the row's controls; the caption stands 4 pixels lower
  int first;   // the row's edit (BrandView::TEdit) or first list (BrandView::TList)
  int second;  // its second list, on a row with two
};

struct TBrandFrame {
  int left, top, width, height;
};

namespace brand_layout {

// Around the product's rows, the website and database rows, the output row.
inline constexpr std::array<TBrandFrame, 3> kFrames{{{8, 8, 557, 246}, {8, 262, 557, 72}, {8, 342, 557, 44}}};

inline constexpr std::array<TBrandRow, 10> kRows{{
    {"Splash screen (optional):", TBrandRow::kEditAndBrowse, 20, BrandView::kImage, 0},
    {"Product name (optional):", TBrandRow::kEdit, 48, BrandView::kTitle, 0},
    {"Product icon (optional):", TBrandRow::kEditAndBrowse, 76, BrandView::kIcon, 0},
    {"Toolbar/Statusbar (optional):", TBrandRow::kTwoLists, 104, BrandView::kToolbar, BrandView::kStatusbar},
    {"Tray icon/Full screen (optional):", TBrandRow::kTwoLists, 132, BrandView::kTrayIcon,
     BrandView::kFullScreen},
    {"IP address/Port (optional):", TBrandRow::kListAndPort, 160, BrandView::kIP, 0},
    {"Copy files to HD (optional):", TBrandRow::kWideList, 188, BrandView::kCopyFiles, 0},
    {"Website directory (optional):", TBrandRow::kEditAndBrowse, 274, BrandView::kSrcDir, 0},
    {"Database directory (optional):", TBrandRow::kEditAndBrowse, 302, BrandView::kDataDir, 0},
    {"Output directory (optional):", TBrandRow::kEditAndBrowse, 354, BrandView::kOutputDir, 0},
}};

// The developer tools' row, last in the product's frame: its caption and check box.
inline constexpr const char* kDevToolsCaption = "Developer tools (optional):";
inline constexpr const char* kDevToolsBox = "Allow developer tools";
inline constexpr int kDevToolsTop = 216;

// The client area, and where the note and the buttons stand under the frames.
inline constexpr int kClientWidth = 573;
inline constexpr int kClientHeight = 429;
inline constexpr int kButtonTop = 396;

inline constexpr const char* kNote =
    "NOTE: Click GO! button to immediately get rebranded software. (Y=Yes, N=No)";

// A list's two items: its choice with " (Y)", then with " (N)".
std::vector<std::string> ListItems(BrandView::TList list);

// The edit that a folder row (label, edit, Browse) is about.
constexpr BrandView::TEdit RowEdit(BrandView::TRow row) {
  return row == BrandView::kSrcDirRow ? BrandView::kSrcDir : BrandView::kDataDir;
}

}  // namespace brand_layout
