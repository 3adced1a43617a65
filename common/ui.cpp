#include "common/ui.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/memory_form.h"

namespace common {

bool RunLongTaskWaiting(const LongTask& task, int stopAfterMs) {
  using Clock = std::chrono::steady_clock;
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::thread worker([&] {
    if (task.work) task.work(stop);
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    ended.notify_all();
  });
  const Clock::time_point start = Clock::now();
  auto elapsedMs = [&] {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
  };
  int nextProgressMs = task.progressMs > 0 && task.progress ? task.progressMs : -1;
  std::unique_lock<std::mutex> lock(mutex);
  while (!done) {
    // Wake for the next progress line or the scripted 中止, whichever is first.
    int wakeMs = elapsedMs() + 1000;
    if (nextProgressMs > 0) wakeMs = std::min(wakeMs, nextProgressMs);
    if (stopAfterMs >= 0 && !stop) wakeMs = std::min(wakeMs, stopAfterMs);
    ended.wait_for(lock, std::chrono::milliseconds(std::max(1, wakeMs - elapsedMs())), [&] { return done; });
    if (done) break;
    const int now = elapsedMs();
    if (stopAfterMs >= 0 && now >= stopAfterMs) stop = true;
    if (nextProgressMs > 0 && now >= nextProgressMs) {
      nextProgressMs += task.progressMs;
      lock.unlock();
      task.progress(now);
      lock.lock();
    }
  }
  lock.unlock();
  worker.join();
  return !stop;
}

bool Ui::RunLongTask(Form*, const LongTask& task) { return RunLongTaskWaiting(task); }

bool ScriptedUi::RunLongTask(Form*, const LongTask& task) {
  longTasks.push_back(task.text);
  return RunLongTaskWaiting(task, stopLongTasksAfterMs);
}

void ScriptedUi::ShowBox(Form*, const std::string& text, const std::string& caption, BoxIcon icon) {
  boxes.push_back({text, caption, icon});
}

bool ScriptedUi::AskYesNo(Form*, const std::string& text, const std::string&) {
  questions.push_back(text);
  if (onQuestion) onQuestion(text);
  if (answers.empty()) return defaultAnswer;
  bool a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> ScriptedUi::ChooseOpenFile(Form*, const FileDialogRequest& request) {
  fileRequests.push_back(request);
  if (fileChoices.empty()) return std::nullopt;
  auto choice = fileChoices.front();
  fileChoices.pop_front();
  return choice;
}

int ScriptedUi::RunModal(Form* owner, const DialogTemplate& tpl, const DialogProc& proc) {
  modalsRun.push_back(tpl.name);
  MemoryForm form(tpl, proc, owner);
  form.Init();
  auto it = modalHandlers.find(tpl.name);
  if (it != modalHandlers.end()) it->second(form);
  if (!form.HasEnded()) form.Send(DialogEvent::Close);
  if (!form.HasEnded()) form.End(-1);
  return form.Result();
}

}  // namespace common
