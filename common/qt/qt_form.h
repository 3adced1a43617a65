// The Qt host: one generic dialog that builds its widgets from a dialog
// template and forwards their events to a dialog procedure. The only place
// (with QtUi) that knows widgets.
#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>

#include <map>

#include "common/colour.h"
#include "common/dialog_template.h"
#include "common/form.h"

class QButtonGroup;
class QLineEdit;
class QVBoxLayout;
class QMenuBar;

namespace common {

struct QtHostStyle {
  Rgb windowColour{210, 210, 210};
  Rgb textColour{0, 0, 0};
  std::map<int, QIcon> icons;  // icon resource id -> icon
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
  bool IsMinimised() const override { return isMinimized(); }
  void Restore() override { showNormal(); }

  QWidget* Widget(int id) const { return widgets_.value(id, nullptr); }
  QMenuBar* MenuBar() const { return menuBar_; }
  // Triggers a menu command as the operator would (tests).
  void TriggerCommand(int id);

 protected:
  void closeEvent(QCloseEvent* event) override;
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
  void PlaceControl(QWidget* w, const ControlTemplate& c);
  // Typed text becomes upper case as it is typed.
  void KeepUpperCase(QLineEdit* edit);
  void Send(DialogEvent event, int id);
  const ControlTemplate* ControlOf(int id) const { return tpl_.Find(id); }

  const DialogTemplate& tpl_;
  DialogProc proc_;
  Form* owner_;
  QtHostStyle style_;
  QHash<int, QWidget*> widgets_;
  QMenuBar* menuBar_ = nullptr;
  bool ended_ = false;
  int result_ = 0;
  int programmatic_ = 0;  // >0 while we change widgets ourselves
};

}  // namespace common
