#include "about_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "res/command_line.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "tree/node_kinds.h"
#include "tree_images.h"

CAboutDlg::CAboutDlg(const QString& settingsFile, QWidget* parent)
    : QDialog(parent), m_strWebAddress("https://melodeck.example.org/"), m_strMailAddress("hello@melodeck.example.org") {
  setObjectName(QString::number(res::IDD_ABOUTBOX));
  setWindowTitle(res::caption::kAbout);
  auto* icon = new QLabel(this);
  icon->setPixmap(NodeIcon(kImageLargeDisc, tree::Mark::None).pixmap(32, 32));
  auto* version = new QLabel(QString::fromStdString(res::Fill(res::label::kVersion, {res::kVersion})), this);
  auto* line = new QLabel(res::label::kTagline, this);
  auto* web = new QLineEdit(m_strWebAddress, this);
  web->setObjectName(QString::number(res::IDC_WEB_ADDRESS));
  web->setReadOnly(true);
  auto* mail = new QLineEdit(m_strMailAddress, this);
  mail->setObjectName(QString::number(res::IDC_MAIL_ADDRESS));
  mail->setReadOnly(true);
  auto* settings = new QLineEdit(settingsFile, this);
  settings->setObjectName(QString::number(res::IDC_SETTINGS_FILE));
  settings->setReadOnly(true);
  settings->setMinimumWidth(std::min(settings->fontMetrics().horizontalAdvance(settingsFile) + 16, 600));
  auto* fields = new QFormLayout;
  fields->addRow(res::label::kWeb, web);
  fields->addRow(res::label::kMail, mail);
  fields->addRow(res::label::kSettingsFile, settings);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  head->addWidget(icon);
  auto* texts = new QVBoxLayout;
  texts->addWidget(version);
  texts->addWidget(line);
  head->addLayout(texts, 1);
  layout->addLayout(head);
  layout->addLayout(fields);
  layout->addWidget(buttons);
}
