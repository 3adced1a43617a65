// The message window's list: one line per entry, in arrival order, with a
// selected entry kept in view. Built for lists of hundreds of thousands of
// lines: adding a line costs the same however long the list is, and the view
// is brought up to date a few times a second, not once per line.
#pragma once

#include <QAbstractScrollArea>

#include <string>
#include <vector>

namespace relaypane {

class MessageList : public QAbstractScrollArea {
 public:
  explicit MessageList(QWidget* parent = nullptr);

  // Appends an entry (UTF-8); its index.
  int AddEntry(std::string text);
  int Count() const { return static_cast<int>(entries_.size()); }
  // Selects an entry and scrolls it into view; -1 clears the selection.
  void Select(int index);
  int Selected() const { return selected_; }
  const std::vector<std::string>& Entries() const { return entries_; }
  // First entry shown at the top (after pending updates are applied).
  int TopIndex();
  // Brings scroll bars and the view up to date now (tests, before painting).
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ScheduleRefresh();
  void UpdateScrollBars();
  void EnsureVisible(int index);
  int RowHeight() const;
  int VisibleRows() const;

  std::vector<std::string> entries_;
  int selected_ = -1;
  int widest_ = 0;            // widest entry seen, pixels
  int measured_ = 0;          // entries whose width is in widest_
  bool refreshPending_ = false;
  bool scrollToSelected_ = false;
};

}  // namespace relaypane
