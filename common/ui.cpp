#include "common/ui.h"

#include "common/memory_form.h"

namespace common {

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
