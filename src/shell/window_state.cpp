#include "window_state.h"

#include <QByteArray>
#include <QMainWindow>
#include <QSplitter>
#include <filesystem>
#include <string>

#include "platform/profile.h"
#include "platform/xdg.h"

namespace {

constexpr char kSection[] = "Window";
constexpr char kGeometry[] = "Geometry";
constexpr char kSplitter[] = "Splitter";

std::string StateFile() { return platform::ConfigFolder() + "window.ini"; }

QByteArray Read(const char* key) {
  return QByteArray::fromBase64(QByteArray::fromStdString(platform::ProfileGetString(StateFile(), kSection, key)));
}

}  // namespace

bool RestoreWindowState(QMainWindow& window, QSplitter& splitter) {
  const QByteArray geometry = Read(kGeometry);
  const QByteArray sizes = Read(kSplitter);
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) return false;
  if (!sizes.isEmpty()) splitter.restoreState(sizes);
  return true;
}

void SaveWindowState(const QMainWindow& window, const QSplitter& splitter) {
  std::error_code ignored;
  std::filesystem::create_directories(platform::ConfigFolder(), ignored);
  platform::ProfileWriteValues(StateFile(), kSection,
                               {{kGeometry, window.saveGeometry().toBase64().toStdString()},
                                {kSplitter, splitter.saveState().toBase64().toStdString()}},
                               false);
}
