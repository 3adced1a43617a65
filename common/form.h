// The Form seam: a dialog's controls addressed by their identifiers, the way
// dialog procedures address them. A dialog procedure is plain code that
// receives events and acts on a Form; it runs the same over the in-memory
// form (tests, the command line) and over the Qt host (the screen).
#pragma once

#include <any>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/placement.h"

namespace common {

struct DialogTemplate;

enum class DialogEvent {
  Init,                // the form and its controls exist; fill them
  Command,             // a button or menu item (id), or a notification
  FocusLost,           // an edit field lost the focus (id)
  SelectionConfirmed,  // a list selection was confirmed: chosen, Enter, double click (id)
  SelectionChanged,    // a list's current entry changed (id)
  Close,               // the close box; the procedure decides
};

// The command a dialog procedure receives for the Escape key (the cancel
// command of a dialog). A procedure that does nothing with it keeps the
// dialog open: Escape never closes a form by itself.
constexpr int kCancelCommand = 2;

class Form;
using DialogProc = std::function<void(Form& form, DialogEvent event, int id)>;

class Form {
 public:
  virtual ~Form() = default;

  virtual const DialogTemplate& Template() const = 0;
  virtual bool HasControl(int id) const = 0;

  // The text of a control as a buffer of `room` bytes receives it: at most
  // room - 1 bytes of code page 932, never half a character. For a list with
  // an edit field, the edit text.
  virtual std::string Text(int id, std::size_t room) const = 0;
  virtual void SetText(int id, std::string_view text) = 0;
  // The operator can type at most `bytes` bytes (code page 932) into the
  // field: its room as the value is stored. Text set by the procedure is not
  // cut (a longer stored value shows whole, and its save is refused).
  virtual void LimitText(int id, std::size_t bytes) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void SetFocus(int id) = 0;

  // Lists (list boxes and the two kinds of drop-down list).
  virtual int AddEntry(int id, std::string_view text) = 0;  // index of the new entry
  virtual int InsertEntry(int id, int index, std::string_view text) = 0;  // -1 appends
  virtual void DeleteEntry(int id, int index) = 0;
  virtual void ResetEntries(int id) = 0;
  virtual int EntryCount(int id) const = 0;
  virtual std::string EntryText(int id, int index) const = 0;
  // Index of the entry equal to `text` without regard to case, or -1.
  virtual int FindExact(int id, std::string_view text) const = 0;
  // Selects an entry (a list with an edit field shows its text); -1 clears
  // the selection (and the edit text).
  virtual void Select(int id, int index) = 0;
  virtual int Selected(int id) const = 0;

  // A picture control's content: a value the host's painter of that
  // control knows (a drawing preview's scene). A form without such a painter
  // shows nothing.
  virtual void SetPicture(int id, std::any picture) {
    (void)id;
    (void)picture;
  }

  // Radio buttons and check boxes.
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;

  virtual std::string Title() const = 0;
  virtual void SetTitle(std::string_view title) = 0;

  // Ends a modal dialog with `result` (or destroys a modeless one).
  virtual void End(int result) = 0;
  virtual bool HasEnded() const = 0;
  virtual int Result() const = 0;

  // The owner form (the main window for a modal dialog), or none.
  virtual Form* Owner() const = 0;

  // Window geometry in screen pixels.
  virtual Rect Frame() const = 0;
  virtual void MoveTo(int x, int y) = 0;
  // Where a control is, in screen pixels (empty when the form has no such
  // control).
  virtual Rect ControlFrame(int id) const = 0;

  // Minimised state of a top-level window.
  virtual bool IsMinimised() const { return false; }
  virtual void Restore() {}

  // Checks one radio button of the range [first, last] and clears the others.
  void CheckRadio(int first, int last, int id) {
    for (int i = first; i <= last; ++i)
      if (HasControl(i)) SetChecked(i, i == id);
  }
};

}  // namespace common
