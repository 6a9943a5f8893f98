// The details pane: CTabForm holds the property sheet SPropertySheet with its one
// page, the "Data" tab GPropDataPage. The page shows what the library tree puts into
// its members and gives back what the user typed.
#pragma once

#include <QTabWidget>
#include <QWidget>

#include "cover_view.h"
#include "tree/prop_data.h"

class QComboBox;
class QLabel;
class QLineEdit;

class GPropDataPage : public QWidget, public GPropData {
  Q_OBJECT

 public:
  explicit GPropDataPage(QWidget* parent = nullptr);

  void SetReadOnly(bool readOnly, bool artist) override;
  bool UpdateData(bool pull) override;
  void SetDlgItemText(int id, const std::string& text) override;
  // Focus to the first field that can take it.
  void FocusFirstField();

  QComboBox* m_ctlCategory;

 private:
  QLineEdit* m_pReadOnlyCategory;
  QLineEdit* m_pYear;
  QLineEdit* m_pArtist;
  QLabel* m_pPlaytime;
  QLabel* m_pBitrate;
  QLabel* m_pSize;
  QLabel* m_pTags;

 protected:
  void OnCategoryAdded(int row) override;
};

class SPropertySheet : public QTabWidget {
  Q_OBJECT

 public:
  explicit SPropertySheet(QWidget* parent = nullptr);
  GPropDataPage m_pageData;
  CoverView m_cover;  // below the page
};

class CTabForm : public QWidget {
  Q_OBJECT

 public:
  explicit CTabForm(QWidget* parent = nullptr);
  SPropertySheet* m_pSheet;

 signals:
  void resized();

 protected:
  void resizeEvent(QResizeEvent* event) override;
};
