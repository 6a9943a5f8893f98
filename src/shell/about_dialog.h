// The About box.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // settingsFile: the settings file in use, shown so the user can find it.
  explicit CAboutDlg(const QString& settingsFile, QWidget* parent = nullptr);

  QString m_strWebAddress;
  QString m_strMailAddress;
};
