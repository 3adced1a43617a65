#include "common/memory_form.h"

#include <algorithm>

#include "common/sjis.h"
#include "common/text.h"

namespace common {

namespace {
bool IsList(ControlKind k) {
  return k == ControlKind::ComboEdit || k == ControlKind::ComboList || k == ControlKind::ListBox;
}
}  // namespace

MemoryForm::MemoryForm(const DialogTemplate& tpl, DialogProc proc, Form* owner)
    : tpl_(tpl), proc_(std::move(proc)), owner_(owner), title_(tpl.caption) {
  for (const auto& c : tpl.controls) {
    if (c.id == kStaticId) continue;
    Control control;
    control.tpl = &c;
    control.enabled = (c.flags & kDisabled) == 0;
    if (!IsList(c.kind)) control.text = c.text;
    controls_[c.id] = control;
  }
}

void MemoryForm::Send(DialogEvent event, int id) {
  if (proc_) proc_(*this, event, id);
}

void MemoryForm::Click(int id) {
  if (Control* c = Find(id)) {
    if (c->tpl->kind == ControlKind::Radio) {
      // Clear the other radio buttons of the group the clicked one is in.
      const auto& all = tpl_.controls;
      auto self = std::find_if(all.begin(), all.end(), [&](const ControlTemplate& t) { return t.id == id; });
      auto begin = self;
      while (begin != all.begin() && begin->kind == ControlKind::Radio && !(begin->flags & kGroupStart)) --begin;
      for (auto it = begin; it != all.end() && it->kind == ControlKind::Radio; ++it) {
        if (it != begin && (it->flags & kGroupStart)) break;
        if (Control* other = Find(it->id)) other->checked = false;
      }
      c->checked = true;
    } else if (c->tpl->kind == ControlKind::Check) {
      c->checked = !c->checked;
    }
  }
  Send(DialogEvent::Command, id);
}

void MemoryForm::SetPicture(int id, std::any picture) {
  if (Control* c = Find(id)) c->picture = std::move(picture);
}

const std::any& MemoryForm::Picture(int id) const {
  static const std::any kNone;
  const Control* c = Find(id);
  return c ? c->picture : kNone;
}

void MemoryForm::Type(int id, std::string_view text) {
  const Control* c = Find(id);
  SetText(id, c && c->limit > 0 ? CutToBytes(text, c->limit) : std::string(text));
  Send(DialogEvent::FocusLost, id);
}

void MemoryForm::Choose(int id, int index) {
  Select(id, index);
  Send(DialogEvent::SelectionChanged, id);
  Send(DialogEvent::SelectionConfirmed, id);
}

MemoryForm::Control* MemoryForm::Find(int id) {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

const MemoryForm::Control* MemoryForm::Find(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

std::string MemoryForm::Convert(const Control& c, std::string_view text) const {
  return (c.tpl->flags & kUpperCase) ? ToUpperAscii(text) : std::string(text);
}

bool MemoryForm::HasControl(int id) const { return Find(id) != nullptr; }

std::string MemoryForm::Text(int id, std::size_t room) const {
  const Control* c = Find(id);
  return c ? CutToRoom(c->text, room) : std::string();
}

std::string MemoryForm::FullText(int id) const {
  const Control* c = Find(id);
  return c ? c->text : std::string();
}

void MemoryForm::SetText(int id, std::string_view text) {
  if (Control* c = Find(id)) {
    c->text = Convert(*c, text);
    if (c->tpl->kind == ControlKind::ComboEdit) c->selected = -1;
  }
}

void MemoryForm::LimitText(int id, std::size_t bytes) {
  if (Control* c = Find(id)) c->limit = bytes;
}

std::size_t MemoryForm::TextLimit(int id) const {
  const Control* c = Find(id);
  return c ? c->limit : 0;
}

void MemoryForm::Enable(int id, bool enabled) {
  if (Control* c = Find(id)) c->enabled = enabled;
}

bool MemoryForm::IsEnabled(int id) const {
  const Control* c = Find(id);
  return c && c->enabled;
}

int MemoryForm::AddEntry(int id, std::string_view text) { return InsertEntry(id, -1, text); }

int MemoryForm::InsertEntry(int id, int index, std::string_view text) {
  Control* c = Find(id);
  if (!c || !IsList(c->tpl->kind)) return -1;
  std::string entry = Convert(*c, text);
  if (c->tpl->flags & kSorted) {
    auto at = std::upper_bound(c->entries.begin(), c->entries.end(), entry,
                               [](const std::string& a, const std::string& b) { return ToLowerAscii(a) < ToLowerAscii(b); });
    index = static_cast<int>(at - c->entries.begin());
  } else if (index < 0 || index > static_cast<int>(c->entries.size())) {
    index = static_cast<int>(c->entries.size());
  }
  c->entries.insert(c->entries.begin() + index, entry);
  if (c->selected >= index) ++c->selected;
  return index;
}

void MemoryForm::DeleteEntry(int id, int index) {
  Control* c = Find(id);
  if (!c || index < 0 || index >= static_cast<int>(c->entries.size())) return;
  c->entries.erase(c->entries.begin() + index);
  if (c->selected == index) c->selected = -1;
  else if (c->selected > index) --c->selected;
}

void MemoryForm::ResetEntries(int id) {
  if (Control* c = Find(id)) {
    c->entries.clear();
    c->selected = -1;
    if (c->tpl->kind == ControlKind::ComboList) c->text.clear();
  }
}

int MemoryForm::EntryCount(int id) const {
  const Control* c = Find(id);
  return c ? static_cast<int>(c->entries.size()) : 0;
}

std::string MemoryForm::EntryText(int id, int index) const {
  const Control* c = Find(id);
  if (!c || index < 0 || index >= static_cast<int>(c->entries.size())) return {};
  return c->entries[static_cast<std::size_t>(index)];
}

int MemoryForm::FindExact(int id, std::string_view text) const {
  const Control* c = Find(id);
  if (!c) return -1;
  for (std::size_t i = 0; i < c->entries.size(); ++i)
    if (EqualsNoCase(c->entries[i], text)) return static_cast<int>(i);
  return -1;
}

void MemoryForm::Select(int id, int index) {
  Control* c = Find(id);
  if (!c) return;
  if (index < 0 || index >= static_cast<int>(c->entries.size())) {
    c->selected = -1;
    if (c->tpl->kind != ControlKind::ListBox) c->text.clear();
    return;
  }
  c->selected = index;
  if (c->tpl->kind != ControlKind::ListBox) c->text = c->entries[static_cast<std::size_t>(index)];
}

int MemoryForm::Selected(int id) const {
  const Control* c = Find(id);
  return c ? c->selected : -1;
}

bool MemoryForm::IsChecked(int id) const {
  const Control* c = Find(id);
  return c && c->checked;
}

void MemoryForm::SetChecked(int id, bool checked) {
  if (Control* c = Find(id)) c->checked = checked;
}

Rect MemoryForm::ControlFrame(int id) const {
  const ControlTemplate* c = tpl_.Find(id);
  if (!c) return {};
  return Rect{frame_.left + c->x, frame_.top + c->y, frame_.left + c->x + c->width, frame_.top + c->y + c->height};
}

void MemoryForm::MoveTo(int x, int y) {
  int w = frame_.Width();
  int h = frame_.Height();
  frame_ = Rect{x, y, x + w, y + h};
}

}  // namespace common
