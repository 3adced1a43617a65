// Dialog templates as plain data: the controls of a form with their
// identifiers, kinds, labels and places, and its menu. The in-memory form and
// the Qt host both build a form from the same template, so a dialog
// procedure sees the same controls in a test and on the screen.
#pragma once

#include <string>
#include <vector>

namespace common {

enum class ControlKind {
  Label,         // static text
  Edit,          // one-line edit field
  MultiLineEdit, // read-only text block (information windows)
  Button,        // push button
  ComboEdit,     // drop-down list with an edit field (free text)
  ComboList,     // drop-down list without free text
  ListBox,       // list of lines
  Radio,         // auto radio button
  Check,         // auto check box
  GroupBox,      // frame with a caption
  Picture,       // a picture the program draws (a drawing's preview); the text names its painter
};

enum ControlFlags : unsigned {
  kNoFlags = 0,
  kUpperCase = 1u << 0,   // lists and edits convert their text to upper case
  kSorted = 1u << 1,      // lists keep their entries sorted
  kReadOnly = 1u << 2,
  kGroupStart = 1u << 3,  // first radio button of a group
  kDefaultButton = 1u << 4,
  kRightAlign = 1u << 5,
  kFixedFont = 1u << 6,   // list drawn in a fixed-pitch font
  kDisabled = 1u << 7,    // starts disabled
  kExtendedSelect = 1u << 8,
  kAlertText = 1u << 9,   // text drawn in red on a transparent background
  kNoTabStop = 1u << 10,  // clicked with the mouse only: Tab and the keyboard pass it by
  kCentre = 1u << 11,     // text centred (labels and edits)
};

// Identifier of labels that the procedure never addresses.
constexpr int kStaticId = -1;

struct ControlTemplate {
  int id = kStaticId;
  ControlKind kind = ControlKind::Label;
  std::string text;
  // Place and size in dialog units (a quarter of the average character width
  // and an eighth of the character height, as dialog templates measure).
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  unsigned flags = kNoFlags;
};

struct MenuItem {
  std::string text;       // empty text with id 0 and no items: a separator
  int id = 0;
  std::vector<MenuItem> items;  // not empty: a popup menu
};

struct DialogTemplate {
  std::string name;
  std::string caption;
  std::string fontName = "ＭＳ ゴシック";
  int fontPointSize = 9;
  int width = 0;   // dialog units
  int height = 0;
  int iconId = 0;  // the window's small icon (program icon resource), 0 for none
  // Where the screen is too small for the whole form, its content scrolls.
  // Controls wholly above fixedTop (column headings) scroll only sideways,
  // controls wholly left of fixedLeft (row labels) only up and down, so a
  // grid keeps its headings and row labels in view. Dialog units; 0: none.
  int fixedTop = 0;
  int fixedLeft = 0;
  std::string menuName;
  std::vector<MenuItem> menu;
  std::vector<ControlTemplate> controls;

  const ControlTemplate* Find(int id) const {
    for (const auto& c : controls)
      if (c.id == id && id != kStaticId) return &c;
    return nullptr;
  }
};

}  // namespace common
