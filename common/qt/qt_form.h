// The Qt host: one generic dialog that builds its widgets from a dialog
// template and forwards their events to a dialog procedure. The only place
// (with QtUi) that knows widgets.
#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>

#include <any>
#include <functional>
#include <map>
#include <vector>
#include <string>

#include "common/colour.h"
#include "common/dialog_template.h"
#include "common/form.h"

class QButtonGroup;
class QLineEdit;
class QMenuBar;
class QScrollArea;
class QVBoxLayout;

namespace common {

// Dialog units of a font, as dialog templates measure: x a quarter of the
// mean width of the Latin letters (the font's own average width counts its
// ideographs and would make every Japanese form twice as wide); y a twelfth
// of a field's height, one line of the font and 6 pixels of frame and
// margin. For the 12-pixel gothic the templates were drawn with, that is an
// eighth of the line height, as dialog templates have it; the Japanese
// fonts of Linux have taller lines and would otherwise need a taller screen.
struct DialogUnits {
  double x = 1;
  double y = 1;
  int X(int units) const { return static_cast<int>(units * x + 0.5); }
  int Y(int units) const { return static_cast<int>(units * y + 0.5); }
};
DialogUnits DialogUnitsOf(const QFont& font);

// The contrast ratio of two colours as accessibility guidelines measure it
// (relative luminance; 4.5 is the least for text to be read with ease).
double Contrast(const QColor& a, const QColor& b);

// The part of a screen windows may take (without panels and docks): the
// screen of `near`'s window when it has one, else the primary screen.
QRect AvailableArea(const QWidget* near);

// `frame` moved (not resized) so that as much of it as fits lies inside
// `area`: its top left corner is never outside.
QRect MovedInside(const QRect& frame, const QRect& area);

// Moves `window`, whose frame on the screen is `frame`, as MovedInside its
// screen's available area; nothing when it is inside already.
void KeepOnScreen(QWidget* window, const QRect& frame);

// A colour of the files as Qt takes it.
QColor ToQColor(const Rgb& colour);
// Qt's rectangles (position and size) and ours (right and bottom one past
// the last pixel).
Rect ToRect(const QRect& r);
QRect ToQRect(const Rect& r);

// The painter of a picture control (the control's text names it): makes
// its widget, and shows a picture the dialog procedure sets on it.
struct PicturePainter {
  std::function<QWidget*(QWidget* parent)> make;
  std::function<void(QWidget* widget, const std::any& picture)> show;
};

struct QtHostStyle {
  Rgb windowColour{210, 210, 210};
  Rgb textColour{0, 0, 0};
  std::map<int, QIcon> icons;  // icon resource id -> icon
  std::map<std::string, PicturePainter> painters;  // a picture without one stays an empty frame
};

class QtForm : public QDialog, public Form {
 public:
  QtForm(const DialogTemplate& tpl, DialogProc proc, Form* owner, const QtHostStyle& style,
         QWidget* parent = nullptr);

  // Sends Init to the procedure (once the widgets exist).
  void Initialise();

  // Form
  const DialogTemplate& Template() const override { return tpl_; }
  bool HasControl(int id) const override { return widgets_.contains(id); }
  std::string Text(int id, std::size_t room) const override;
  void SetText(int id, std::string_view text) override;
  void LimitText(int id, std::size_t bytes) override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void SetFocus(int id) override;
  int AddEntry(int id, std::string_view text) override;
  int InsertEntry(int id, int index, std::string_view text) override;
  void DeleteEntry(int id, int index) override;
  void ResetEntries(int id) override;
  int EntryCount(int id) const override;
  std::string EntryText(int id, int index) const override;
  int FindExact(int id, std::string_view text) const override;
  void Select(int id, int index) override;
  int Selected(int id) const override;
  void SetPicture(int id, std::any picture) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  std::string Title() const override;
  void SetTitle(std::string_view title) override;
  void End(int result) override;
  bool HasEnded() const override { return ended_; }
  int Result() const override { return result_; }
  Form* Owner() const override { return owner_; }
  Rect Frame() const override;
  void MoveTo(int x, int y) override;
  Rect ControlFrame(int id) const override;
  bool IsMinimised() const override { return isMinimized(); }
  void Restore() override { showNormal(); }

  QWidget* Widget(int id) const { return widgets_.value(id, nullptr); }
  // Every control of the template (labels included), in template order.
  const std::vector<QWidget*>& Controls() const { return controls_; }
  // Scrolls the content so that `w` (a control, or a part of one) is in view
  // as far as the window's size allows. The focus does it by itself.
  void ScrollIntoView(QWidget* w);
  // The whole form at its template size, menu bar included.
  QSize NaturalSize() const { return natural_; }
  QSize sizeHint() const override;
  QMenuBar* MenuBar() const { return menuBar_; }
  // Triggers a menu command as the operator would (tests).
  void TriggerCommand(int id);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Builds the widgets of the template, one function per control kind.
  void Build();
  void BuildMenu(QVBoxLayout* layout);
  QWidget* MakeControl(const ControlTemplate& c, QWidget* parent, QButtonGroup*& radioGroup);
  QWidget* MakeEdit(const ControlTemplate& c, QWidget* parent);
  QWidget* MakeButton(const ControlTemplate& c, QWidget* parent);
  QWidget* MakeCombo(const ControlTemplate& c, QWidget* parent);
  QWidget* MakeListBox(const ControlTemplate& c, QWidget* parent);
  QWidget* MakeRadio(const ControlTemplate& c, QWidget* parent, QButtonGroup*& group);
  QWidget* MakeCheck(const ControlTemplate& c, QWidget* parent);
  QWidget* MakePicture(const ControlTemplate& c, QWidget* parent);
  void PlaceControl(QWidget* w, const ControlTemplate& c, QPoint origin);
  // The scrolling content, with the fixed heading strip and label column.
  void BuildPanes(QVBoxLayout* layout);
  QWidget* PaneOf(const ControlTemplate& c, QPoint* origin) const;
  // Size no larger than the available area of the screen it opens on.
  void FitToScreen();
  // The window frame around the client area: the platform's once the
  // window is shown, an estimate before.
  QMargins FrameMargins() const;
  // Typed text becomes upper case as it is typed.
  void KeepUpperCase(QLineEdit* edit);
  void Send(DialogEvent event, int id);
  const ControlTemplate* ControlOf(int id) const { return tpl_.Find(id); }

  const DialogTemplate& tpl_;
  DialogProc proc_;
  Form* owner_;
  QtHostStyle style_;
  QHash<int, QWidget*> widgets_;
  std::vector<QWidget*> controls_;
  DialogUnits units_;
  QScrollArea* body_ = nullptr;
  QWidget* bodyContent_ = nullptr;
  QWidget* heading_ = nullptr;  // content of the fixed heading strip
  QWidget* labels_ = nullptr;   // content of the fixed label column
  QWidget* corner_ = nullptr;
  QSize natural_;
  QSize fitted_;
  bool shownOnce_ = false;
  QMenuBar* menuBar_ = nullptr;
  bool ended_ = false;
  int result_ = 0;
  int programmatic_ = 0;  // >0 while we change widgets ourselves
};

}  // namespace common
