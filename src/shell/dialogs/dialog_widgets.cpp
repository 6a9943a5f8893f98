#include "dialog_widgets.h"

#include "res/resource_ids.h"
#include "res/texts.h"

#include <algorithm>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractListModel>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/ui_hooks.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

template <typename T>
T* Named(T* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& entries, const std::string& text) {
  combo->clear();
  for (const auto& entry : entries) combo->addItem(Q(entry));
  combo->setEditText(Q(text));
}

// The up and down arrows of the play-order buttons.
QIcon Arrow(bool up) {
  QPixmap pixmap(32, 32);
  pixmap.setDevicePixelRatio(2.0);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(40, 90, 170));
  const QPolygonF triangle = up ? QPolygonF({QPointF(8, 3), QPointF(14, 12), QPointF(2, 12)})
                                : QPolygonF({QPointF(2, 4), QPointF(14, 4), QPointF(8, 13)});
  painter.drawPolygon(triangle);
  return QIcon(pixmap);
}

}  // namespace

// ---- Add album ----

AddAlbumWidget::AddAlbumWidget(CAddAlbumDlg& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog) {
  setObjectName(QString::number(res::IDD_ADD_ALBUM));
  setWindowTitle(res::caption::kAddAlbum);
  const auto editableCombo = [this](int id) {
    auto* combo = Named(new QComboBox(this), id);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
  };
  m_pArtist = editableCombo(res::IDC_ARTIST_COMBO);
  m_pAlbumFile = editableCombo(res::IDC_ALBUM_FILE);
  m_pBrowse = Named(new QPushButton("...", this), res::IDC_BROWSE);
  // The catalogue's path takes the width; "..." stays a small button.
  m_pAlbumFile->setMinimumContentsLength(48);
  m_pAlbumFile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_pBrowse->setFixedWidth(m_pBrowse->fontMetrics().horizontalAdvance("...") + 24);
  m_pAlbum = Named(new QLineEdit(this), res::IDC_ALBUM_NAME);
  m_pCategory = editableCombo(res::IDC_CATEGORY_COMBO);
  m_pYear = Named(new QLineEdit(this), res::IDC_ALBUM_YEAR);
  m_pSongs = Named(new QListWidget(this), res::IDC_SONG_LIST);
  m_pSongs->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("&OK");
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::number(res::IDOK));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QString::number(res::IDCANCEL));

  auto* grid = new QGridLayout(this);
  const auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  grid->addWidget(label(res::label::kArtist, m_pArtist), 0, 0);
  grid->addWidget(m_pArtist, 0, 1, 1, 2);
  grid->addWidget(label(res::label::kAlbumFile, m_pAlbumFile), 1, 0);
  grid->setColumnStretch(1, 1);
  grid->addWidget(m_pAlbumFile, 1, 1);
  grid->addWidget(m_pBrowse, 1, 2);
  grid->addWidget(label(res::label::kAlbumName, m_pAlbum), 2, 0);
  grid->addWidget(m_pAlbum, 2, 1, 1, 2);
  grid->addWidget(label(res::label::kCategory, m_pCategory), 3, 0);
  grid->addWidget(m_pCategory, 3, 1, 1, 2);
  grid->addWidget(label(res::label::kYear, m_pYear), 4, 0);
  grid->addWidget(m_pYear, 4, 1, 1, 2);
  grid->addWidget(label(res::label::kSongsToAdd, m_pSongs), 5, 0, 1, 3);
  grid->addWidget(m_pSongs, 6, 0, 1, 3);
  m_pTagNote = new QLabel(this);
  m_pTagNote->setWordWrap(true);
  grid->addWidget(m_pTagNote, 7, 0, 1, 3);
  grid->addWidget(buttons, 8, 0, 1, 3);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  m_dialog.OnInitDialog();
  Push();
  connect(m_pBrowse, &QPushButton::clicked, this, [this] {
    Pull();
    m_dialog.OnBrowse();
    Push();
  });
  // Leaving or choosing a catalogue keeps every field as typed; only a real change of
  // the catalogue refills the song list.
  connect(m_pAlbumFile->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    PullAllButAlbumFile();
    m_dialog.OnKillFocusAlbumFile(m_pAlbumFile->currentText().toStdString());
    Push();
  });
  connect(m_pAlbumFile, &QComboBox::activated, this, [this](int row) {
    PullAllButAlbumFile();
    m_dialog.OnSelChangeAlbumFile(m_pAlbumFile->itemText(row).toStdString());
    Push();
  });
  // Typing makes a field the user's; choosing other songs renews the proposals.
  const auto typed = [this](QLineEdit* edit, int id) {
    connect(edit, &QLineEdit::textEdited, this, [this, edit, id] {
      m_dialog.OnFieldEdited(id);
      edit->setPalette(palette());
    });
  };
  typed(m_pArtist->lineEdit(), res::IDC_ARTIST_COMBO);
  typed(m_pAlbum, res::IDC_ALBUM_NAME);
  typed(m_pCategory->lineEdit(), res::IDC_CATEGORY_COMBO);
  typed(m_pYear, res::IDC_ALBUM_YEAR);
  connect(m_pSongs, &QListWidget::itemSelectionChanged, this, [this] {
    PullAllButAlbumFile();
    m_dialog.OnSelChangeSongs();
    PushProposals();
  });
}

void AddAlbumWidget::PushProposals() {
  // A proposal shows in the grey of a placeholder until the user accepts or edits it.
  QPalette proposed = palette();
  proposed.setColor(QPalette::Text, palette().color(QPalette::PlaceholderText));
  const auto show = [&](QLineEdit* edit, int id, const std::string& text) {
    if (edit->text() != Q(text)) edit->setText(Q(text));
    edit->setPalette(m_dialog.IsProposed(id) ? proposed : palette());
  };
  show(m_pArtist->lineEdit(), res::IDC_ARTIST_COMBO, m_dialog.m_strArtist);
  show(m_pAlbum, res::IDC_ALBUM_NAME, m_dialog.m_strAlbum);
  show(m_pCategory->lineEdit(), res::IDC_CATEGORY_COMBO, m_dialog.m_strCategory);
  show(m_pYear, res::IDC_ALBUM_YEAR, m_dialog.m_strYear);
  m_pTagNote->setText(Q(m_dialog.m_strTagNote));
  m_pTagNote->setVisible(!m_dialog.m_strTagNote.empty());
}

void AddAlbumWidget::Push() {
  FillCombo(m_pArtist, m_dialog.m_cbArtist, m_dialog.m_strArtist);
  FillCombo(m_pAlbumFile, m_dialog.m_cbAlbumFile, m_dialog.m_strAlbumFile);
  FillCombo(m_pCategory, m_dialog.m_cbCategory, m_dialog.m_strCategory);
  m_pAlbumFile->setEnabled(m_dialog.m_bAlbumFileEnabled);
  m_pBrowse->setEnabled(m_dialog.m_bAlbumFileEnabled);
  m_pAlbum->setText(Q(m_dialog.m_strAlbum));
  m_pYear->setText(Q(m_dialog.m_strYear));
  const QSignalBlocker quiet(m_pSongs);  // the rows are the dialog's already
  m_pSongs->clear();
  for (const auto& row : m_dialog.m_listSongs.m_rows) {
    m_pSongs->addItem(Q(row.text));
    m_pSongs->item(m_pSongs->count() - 1)->setSelected(row.selected);
  }
  PushProposals();
}

void AddAlbumWidget::PullAllButAlbumFile() {
  const GString albumFile = m_dialog.m_strAlbumFile;  // what the catalogue handlers compare with
  Pull();
  m_dialog.m_strAlbumFile = albumFile;
}

void AddAlbumWidget::Pull() {
  m_dialog.m_strArtist = m_pArtist->currentText().toStdString();
  m_dialog.m_strAlbumFile = m_pAlbumFile->currentText().toStdString();
  m_dialog.m_strAlbum = m_pAlbum->text().toStdString();
  m_dialog.m_strCategory = m_pCategory->currentText().toStdString();
  m_dialog.m_strYear = m_pYear->text().toStdString();
  for (int i = 0; i < m_pSongs->count(); ++i) {
    m_dialog.m_listSongs.m_rows[static_cast<size_t>(i)].selected = m_pSongs->item(i)->isSelected();
  }
}

void AddAlbumWidget::FocusAfterMessage() {
  if (QWidget* control = findChild<QWidget*>(QString::number(m_dialog.m_nFocus))) control->setFocus();
  m_dialog.m_nFocus = 0;
}

void AddAlbumWidget::accept() {
  Pull();
  if (m_dialog.OnOK()) {
    QDialog::accept();
  } else {
    FocusAfterMessage();
  }
}

// ---- Play order ----

// The rows of one of the play-order lists as they stand in the dialog's logic.
class PlayOrderRows : public QAbstractListModel {
 public:
  PlayOrderRows(const CPlayOrderDlg::ListBox& list, QObject* parent) : QAbstractListModel(parent), m_list(list) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_list.rows.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({})) return {};
    return Q(m_list.rows[static_cast<size_t>(index.row())].first);
  }
  // The logic filled the rows anew.
  void Reload() {
    beginResetModel();
    endResetModel();
  }

 private:
  const CPlayOrderDlg::ListBox& m_list;
};

PlayOrderWidget::PlayOrderWidget(CPlayOrderDlg& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog) {
  setObjectName(QString::number(res::IDD_PLAY_ORDER));
  setWindowTitle(res::caption::kPlayOrder);
  const CPlayOrderDlg::ListBox* rows[] = {&m_dialog.m_listArtists, &m_dialog.m_listAlbums, &m_dialog.m_listSongs};
  const int ids[] = {res::IDC_ARTISTS, res::IDC_ALBUMS, res::IDC_SONGS};
  for (int column = 0; column < 3; ++column) {
    m_pLists[column] = Named(new QListView(this), ids[column]);
    m_pLists[column]->setUniformItemSizes(true);
    m_pRows[column] = new PlayOrderRows(*rows[column], this);
    m_pLists[column]->setModel(m_pRows[column]);
  }
  m_pMixLabel = Named(new QLabel(this), res::IDC_MIX_LABEL);
  m_pMixLabel->hide();
  auto* columns = new QHBoxLayout;
  QListView* const* lists = m_pLists;
  const char* titles[] = {res::label::kArtists, res::label::kAlbums, res::label::kSongs};
  for (int column = 0; column < 3; ++column) {
    // Each column lives in a widget of its own: a hidden column gives its width away.
    m_pColumns[column] = new QWidget(this);
    auto* title = Named(new QLabel(titles[column], this), res::IDC_LIST_TITLE_FIRST + column);
    title->setBuddy(lists[column]);
    m_pTitles[column] = title;
    auto* up = Named(new QPushButton(Arrow(true), "", this), res::IDC_UP_FIRST + column);
    auto* down = Named(new QPushButton(Arrow(false), "", this), res::IDC_DOWN_FIRST + column);
    up->setToolTip("Up");
    down->setToolTip("Dn");
    auto* box = new QVBoxLayout;
    box->addWidget(title);
    box->addWidget(lists[column], 1);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(up);
    buttons->addWidget(down);
    buttons->addStretch();
    auto* row = new QHBoxLayout(m_pColumns[column]);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(box, 1);
    row->addLayout(buttons);
    columns->addWidget(m_pColumns[column], 1);
    for (QPushButton* button : {up, down}) {
      const int id = button->objectName().toInt();
      connect(button, &QPushButton::clicked, this, [this, id] {
        m_dialog.OnUpDown(id);
        Push();
      });
    }
  }
  const char* checkTexts[] = {res::label::kShuffleSongs, res::label::kShuffleAlbums, res::label::kShuffleArtists,
                              res::label::kMixAlbums, res::label::kMixSongs};
  for (int i = 0; i < 5; ++i) m_pChecks[i] = Named(new QCheckBox(checkTexts[i], this), res::IDC_SHUFFLE_SONGS + i);
  auto* checks = new QGridLayout;
  checks->addWidget(m_pChecks[2], 0, 0);
  checks->addWidget(m_pChecks[1], 0, 1);
  checks->addWidget(m_pChecks[3], 1, 1);
  checks->addWidget(m_pChecks[0], 0, 2);
  checks->addWidget(m_pChecks[4], 1, 2);
  auto* play = Named(new QPushButton(res::label::kPlay, this), static_cast<int>(res::ID_PLAY_NOW));
  play->setDefault(true);
  auto* shuffle = Named(new QPushButton(res::label::kShuffle, this), res::IDC_SHUFFLE);
  auto* cancel = Named(new QPushButton(res::label::kCancel, this), res::IDCANCEL);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {play, shuffle, cancel}) buttons->addWidget(button);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pMixLabel);
  layout->addLayout(columns, 1);
  layout->addLayout(checks);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(line);
  layout->addLayout(buttons);
  resize(640, 380);

  connect(play, &QPushButton::clicked, this, [this] {
    PullChecks();
    m_dialog.OnPlay();
  });
  connect(shuffle, &QPushButton::clicked, this, [this] {
    PullChecks();
    m_dialog.OnShuffle();
    Push();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_pChecks[3], &QCheckBox::clicked, this, [this] {
    PullChecks();
    m_dialog.OnMixAlbums();
    Push();
  });
  connect(m_pChecks[4], &QCheckBox::clicked, this, [this] {
    PullChecks();
    m_dialog.OnMixSongs();
    Push();
  });
  connect(m_pLists[0]->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& row) {
    if (m_bPushing || !row.isValid()) return;
    m_dialog.m_listArtists.selected = row.row();
    m_dialog.OnSelChangeArtists();
    Push();
  });
  connect(m_pLists[1]->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& row) {
    if (m_bPushing || !row.isValid()) return;
    m_dialog.m_listAlbums.selected = row.row();
    m_dialog.OnSelChangeAlbums();
    Push();
  });
  connect(m_pLists[2]->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& row) {
    if (!m_bPushing && row.isValid()) m_dialog.m_listSongs.selected = row.row();
  });
  m_dialog.OnInitDialog();
  Push();
}

void PlayOrderWidget::PullChecks() {
  m_dialog.m_bShuffleSongs = m_pChecks[0]->isChecked();
  m_dialog.m_bShuffleAlbums = m_pChecks[1]->isChecked();
  m_dialog.m_bShuffleArtists = m_pChecks[2]->isChecked();
  m_dialog.m_bMixAlbums = m_pChecks[3]->isChecked();
  m_dialog.m_bMixSongs = m_pChecks[4]->isChecked();
}

void PlayOrderWidget::Push() {
  m_bPushing = true;
  const CPlayOrderDlg::ListBox* lists[] = {&m_dialog.m_listArtists, &m_dialog.m_listAlbums, &m_dialog.m_listSongs};
  for (int column = 0; column < 3; ++column) {
    QListView* view = m_pLists[column];
    const CPlayOrderDlg::ListBox& list = *lists[column];
    m_pRows[column]->Reload();
    view->setCurrentIndex(m_pRows[column]->index(list.selected, 0));
    // Wide enough for its longest entry ("<Folders without album.ini>" among them), up
    // to a limit: the longest texts are measured, not every row.
    constexpr size_t kMeasured = 16;
    std::vector<const std::string*> longest;
    for (const auto& row : list.rows) longest.push_back(&row.first);
    const auto cut = longest.begin() + static_cast<std::ptrdiff_t>(std::min(kMeasured, longest.size()));
    std::partial_sort(longest.begin(), cut, longest.end(),
                      [](const std::string* a, const std::string* b) { return a->size() > b->size(); });
    int widest = 0;
    for (auto it = longest.begin(); it != cut; ++it) widest = std::max(widest, view->fontMetrics().horizontalAdvance(Q(**it)));
    view->setMinimumWidth(std::min(widest, 360) + 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width() + 8);
  }
  // Mixed, the list of all albums or all songs takes the width of the columns it
  // replaces, under the count label that stands for its title.
  const auto layout = m_dialog.m_layout;
  const bool columns = layout == CPlayOrderDlg::Layout::Columns;
  const bool songsOnly = layout == CPlayOrderDlg::Layout::AllSongs;
  m_pColumns[0]->setVisible(columns);
  m_pColumns[1]->setVisible(!songsOnly);
  m_pTitles[1]->setVisible(columns);
  m_pTitles[2]->setVisible(!songsOnly);
  m_pChecks[2]->setVisible(columns);
  m_pChecks[1]->setVisible(!songsOnly);
  m_pChecks[3]->setVisible(!songsOnly);
  m_pMixLabel->setVisible(!columns);
  m_pMixLabel->setText(Q(m_dialog.m_strMixLabel));
  m_pMixLabel->setBuddy(songsOnly ? m_pLists[2] : m_pLists[1]);
  m_bPushing = false;
}

// ---- Settings ----

SettingsWidget::SettingsWidget(CSettingsDlg& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog) {
  setObjectName(QString::number(res::IDD_SETTINGS));
  setWindowTitle(res::caption::kSettings);
  m_pDecoder = Named(new QLineEdit(Q(dialog.m_strDecoder), this), res::IDC_DECODER);
  m_pDecoder->setMaxLength(static_cast<int>(CSettingsDlg::kMaxLength));
  auto* browse = Named(new QPushButton("...", this), res::IDC_BROWSE);
  m_pPlaylist = Named(new QLineEdit(Q(dialog.m_strPlaylist), this), res::IDC_PLAYLIST_FILE);
  m_pPlaylist->setMaxLength(static_cast<int>(CSettingsDlg::kMaxLength));
  m_pLongFilenames = Named(new QCheckBox(res::label::kLongFilenames, this), res::IDC_LONG_FILENAMES);
  m_pLongFilenames->setChecked(dialog.m_bLongFilenames != 0);
  m_pReadAlbumIni = Named(new QCheckBox(res::label::kReadAlbumIni, this), res::IDC_READ_ALBUM_INI);
  m_pReadAlbumIni->setChecked(dialog.m_bReadAlbumIni != 0);

  // A real path fits in the decoder field; "..." stays small.
  m_pDecoder->setMinimumWidth(m_pDecoder->fontMetrics().horizontalAdvance(QString(48, 'x')));
  browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 24);
  auto* decoderGroup = new QGroupBox(res::label::kDecoder, this);
  auto* decoderGrid = new QGridLayout(decoderGroup);
  decoderGrid->setColumnStretch(0, 1);
  decoderGrid->addWidget(m_pDecoder, 0, 0);
  decoderGrid->addWidget(browse, 0, 1);
  decoderGrid->addWidget(new QLabel(res::label::kPlaylistFilename, this), 1, 0, 1, 2);
  decoderGrid->addWidget(m_pPlaylist, 2, 0);
  decoderGrid->addWidget(m_pLongFilenames, 3, 0, 1, 2);
  auto* other = new QGroupBox(res::label::kOther, this);
  auto* otherBox = new QVBoxLayout(other);
  otherBox->addWidget(m_pReadAlbumIni);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("&OK");
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::number(res::IDOK));
  buttons->button(QDialogButtonBox::Cancel)->setText(res::label::kCancelKey);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QString::number(res::IDCANCEL));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(decoderGroup);
  layout->addWidget(other);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, [this] {
    Pull();
    if (m_dialog.OnBrowse()) m_pDecoder->setText(Q(m_dialog.m_strDecoder));
  });
}

void SettingsWidget::Pull() {
  m_dialog.m_strDecoder = m_pDecoder->text().toStdString();
  m_dialog.m_strPlaylist = m_pPlaylist->text().toStdString();
  m_dialog.m_bLongFilenames = m_pLongFilenames->isChecked();
  m_dialog.m_bReadAlbumIni = m_pReadAlbumIni->isChecked();
}

void SettingsWidget::accept() {
  Pull();
  if (m_dialog.OnOK()) QDialog::accept();
}
