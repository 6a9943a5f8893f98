// Where the window stood, how large it was and where the splitter lay, kept between
// runs in the configuration folder ($XDG_CONFIG_HOME/melodeck/window.ini).
#pragma once

class QMainWindow;
class QSplitter;

// Puts the window and the splitter as they were left; false (nothing changed) when
// nothing was kept or what was kept cannot be used.
bool RestoreWindowState(QMainWindow& window, QSplitter& splitter);
// Keeps the window's place and size and the splitter's position for the next run.
void SaveWindowState(const QMainWindow& window, const QSplitter& splitter);
