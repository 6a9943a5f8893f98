#include "recording_ui_hooks.h"

namespace testing_support {

RecordingUiHooks::RecordingUiHooks(platform::UiHooks* eventLoop) : m_pEventLoop(eventLoop) {
  platform::SetUiHooks(this);
}

void RecordingUiHooks::Post(std::function<void()> message) {
  if (m_pEventLoop) return m_pEventLoop->Post(std::move(message));
  UiHooks::Post(std::move(message));
}

bool RecordingUiHooks::PumpOne() { return m_pEventLoop ? m_pEventLoop->PumpOne() : UiHooks::PumpOne(); }

std::uint64_t RecordingUiHooks::TickCount() { return m_pEventLoop ? m_pEventLoop->TickCount() : UiHooks::TickCount(); }

RecordingUiHooks::~RecordingUiHooks() { platform::SetUiHooks(nullptr); }

int RecordingUiHooks::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  messages.push_back({text, caption, type});
  if (messageAnswers.empty()) return platform::DefaultMessageBoxAnswer(type);
  const int answer = messageAnswers.front();
  messageAnswers.pop_front();
  return answer;
}

unsigned RecordingUiHooks::PopupMenu(const std::vector<platform::MenuItem>& items) {
  menus.push_back(items);
  if (menuAnswers.empty()) return 0;
  const unsigned answer = menuAnswers.front();
  menuAnswers.pop_front();
  return answer;
}

std::optional<std::string> RecordingUiHooks::FileDialog(const platform::FileDialogRequest& request) {
  fileDialogs.push_back(request);
  if (fileDialogAnswers.empty()) return std::nullopt;
  auto answer = fileDialogAnswers.front();
  fileDialogAnswers.pop_front();
  return answer;
}

ShownMessage RecordingUiHooks::Message(size_t index) const {
  return index < messages.size() ? messages[index] : ShownMessage{"<no message>", "<no message>", 0};
}

}  // namespace testing_support
