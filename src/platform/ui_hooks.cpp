#include "platform/ui_hooks.h"

#include <chrono>
#include <iostream>

#include "res/texts.h"

namespace platform {
namespace {

UiHooks* g_installed = nullptr;

struct Icon {
  std::string name;
};

}  // namespace

int DefaultMessageBoxAnswer(unsigned type) {
  const bool second = (type & MB_DEFMASK) == MB_DEFBUTTON2;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return second ? IDCANCEL : IDOK;
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return second ? IDNO : IDYES;
    default:
      return IDOK;
  }
}

int UiHooks::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
  std::cerr << caption << ": " << text << '\n';
  return DefaultMessageBoxAnswer(type);
}

unsigned UiHooks::PopupMenu(const std::vector<MenuItem>&) { return 0; }

std::optional<std::string> UiHooks::FileDialog(const FileDialogRequest&) { return std::nullopt; }

void UiHooks::Post(std::function<void()> message) { m_posted.push_back(std::move(message)); }

bool UiHooks::PumpOne() {
  if (m_posted.empty()) return false;
  auto message = std::move(m_posted.front());
  m_posted.pop_front();
  message();
  return true;
}

std::uint64_t UiHooks::TickCount() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void* UiHooks::LoadIcon(const std::string& name) { return new Icon{name}; }

void UiHooks::DestroyIcon(void* icon) { delete static_cast<Icon*>(icon); }

UiHooks& Ui() {
  static UiHooks defaults;
  return g_installed ? *g_installed : defaults;
}

void SetUiHooks(UiHooks* hooks) { g_installed = hooks; }

void ShowError(const std::string& text) { Ui().MessageBox(text, res::caption::kError, MB_OK | MB_ICONEXCLAMATION); }

}  // namespace platform
