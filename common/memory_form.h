// A Form held in memory: the tests and the command line drive dialog
// procedures through it. It behaves like the platform's controls in what
// the procedures rely on (upper-case lists, cuts by byte room, selection
// showing the entry in the edit field, radio groups when clicked).
#pragma once

#include <any>
#include <map>
#include <string>
#include <vector>

#include "common/dialog_template.h"
#include "common/form.h"

namespace common {

class MemoryForm : public Form {
 public:
  MemoryForm(const DialogTemplate& tpl, DialogProc proc = {}, Form* owner = nullptr);

  // --- driving the procedure, as the platform would ---
  void Send(DialogEvent event, int id = 0);
  void Init() { Send(DialogEvent::Init); }
  // A click: an auto radio button checks itself and clears its group, a check
  // box toggles; then the command goes to the procedure.
  void Click(int id);
  // The operator types into a field: the text changes (typing stops at the
  // field's limit), then the field loses the focus.
  void Type(int id, std::string_view text);
  // The operator picks a list entry: selection changed, then confirmed.
  void Choose(int id, int index);

  // --- Form ---
  const DialogTemplate& Template() const override { return tpl_; }
  bool HasControl(int id) const override;
  std::string Text(int id, std::size_t room) const override;
  void SetText(int id, std::string_view text) override;
  void LimitText(int id, std::size_t bytes) override;
  // The limit LimitText set (0: none).
  std::size_t TextLimit(int id) const;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) const override;
  void SetFocus(int id) override { focus_ = id; }
  int Focus() const { return focus_; }
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
  // The last picture set on a picture control (empty when none).
  const std::any& Picture(int id) const;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  std::string Title() const override { return title_; }
  void SetTitle(std::string_view title) override { title_ = std::string(title); }
  void End(int result) override {
    ended_ = true;
    result_ = result;
  }
  bool HasEnded() const override { return ended_; }
  int Result() const override { return result_; }
  Form* Owner() const override { return owner_; }
  Rect Frame() const override { return frame_; }
  // A control's place from the template, one pixel per dialog unit from
  // the frame's corner.
  Rect ControlFrame(int id) const override;
  void MoveTo(int x, int y) override;
  void SetFrame(const Rect& r) { frame_ = r; }
  bool IsMinimised() const override { return minimised_; }
  void Restore() override { minimised_ = false; }
  void Minimise() { minimised_ = true; }

  // The whole text of a control (no room cut), for assertions.
  std::string FullText(int id) const;

 private:
  struct Control {
    const ControlTemplate* tpl = nullptr;
    std::string text;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> entries;
    int selected = -1;
    std::size_t limit = 0;  // bytes the operator can type; 0: no limit
    std::any picture;
  };
  Control* Find(int id);
  const Control* Find(int id) const;
  std::string Convert(const Control& c, std::string_view text) const;

  const DialogTemplate& tpl_;
  DialogProc proc_;
  Form* owner_;
  std::map<int, Control> controls_;
  std::string title_;
  bool ended_ = false;
  int result_ = 0;
  int focus_ = 0;
  Rect frame_{0, 0, 640, 480};
  bool minimised_ = false;
};

}  // namespace common
