#include "tree/command_result.h"

#include "platform/ui_hooks.h"

namespace tree {

bool CommandResult::Report() const {
  if (!m_message.empty()) platform::ShowError(m_message);
  return m_succeeded;
}

}  // namespace tree
