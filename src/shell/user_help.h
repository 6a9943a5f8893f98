// Help > Help Topics: the user's part of README.md, built into the program.
#pragma once

#include <QString>

class QWidget;

// The README from how to play up to the next heading, as Markdown.
QString UserHelpText();
// Shows it in a dialog of its own until closed.
void ShowUserHelp(QWidget* parent);
