// The Qt faces of the three dialogs: they show the logic classes' state, pass every
// event on, and are found in tests by their controls' resource ids.
#pragma once

#include <QDialog>
#include <memory>

#include "dialogs/add_album_dialog.h"
#include "dialogs/play_order_dialog.h"
#include "dialogs/settings_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class PlayOrderRows;
class QPushButton;

class AddAlbumWidget : public QDialog {
  Q_OBJECT

 public:
  AddAlbumWidget(CAddAlbumDlg& dialog, QWidget* parent);
  void accept() override;

 private:
  void Push();
  // The fields the songs' tags may propose, grey while they hold a proposal, and the note.
  void PushProposals();
  void Pull();
  void PullAllButAlbumFile();
  void FocusAfterMessage();

  CAddAlbumDlg& m_dialog;
  QLabel* m_pTagNote;
  QComboBox* m_pArtist;
  QComboBox* m_pAlbumFile;
  QPushButton* m_pBrowse;
  QLineEdit* m_pAlbum;
  QComboBox* m_pCategory;
  QLineEdit* m_pYear;
  QListWidget* m_pSongs;
};

class PlayOrderWidget : public QDialog {
  Q_OBJECT

 public:
  PlayOrderWidget(CPlayOrderDlg& dialog, QWidget* parent);

 private:
  void Push();
  void PullChecks();

  CPlayOrderDlg& m_dialog;
  // Artists, albums, songs: list views over the dialog's rows, never a widget per row.
  QListView* m_pLists[3];
  PlayOrderRows* m_pRows[3];
  QLabel* m_pMixLabel;
  QWidget* m_pColumns[3];  // artists, albums, songs: list, title and buttons each
  QLabel* m_pTitles[3];
  QCheckBox* m_pChecks[5];  // 1012 to 1016
  bool m_bPushing = false;
};

class SettingsWidget : public QDialog {
  Q_OBJECT

 public:
  SettingsWidget(CSettingsDlg& dialog, QWidget* parent);
  void accept() override;

 private:
  void Pull();

  CSettingsDlg& m_dialog;
  QLineEdit* m_pDecoder;
  QLineEdit* m_pPlaylist;
  QCheckBox* m_pLongFilenames;
  QCheckBox* m_pReadAlbumIni;
};
