#include "details_pane.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "res/strings.h"
#include "res/resource_ids.h"
#include "res/texts.h"

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLabel* SunkenField(QWidget* parent, int id) {
  auto* field = new QLabel(parent);
  field->setObjectName(QString::number(id));
  field->setFrameShape(QFrame::StyledPanel);  // all four edges, in the style's own look
  field->setFrameShadow(QFrame::Sunken);
  field->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return field;
}

QLineEdit* EditField(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::number(id));
  return edit;
}

}  // namespace

GPropDataPage::GPropDataPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(res::IDD_DATA_PAGE));
  m_ctlCategory = new QComboBox(this);
  m_ctlCategory->setObjectName(QString::number(res::IDC_CATEGORY));
  m_ctlCategory->setEditable(true);
  m_ctlCategory->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& entry : Categories().Entries()) m_ctlCategory->addItem(Text(entry));
  m_pReadOnlyCategory = EditField(this, res::IDC_CATEGORY_READONLY);
  m_pReadOnlyCategory->setReadOnly(true);
  m_pReadOnlyCategory->hide();
  m_pYear = EditField(this, res::IDC_YEAR);
  m_pArtist = EditField(this, res::IDC_ARTIST);
  m_pPlaytime = SunkenField(this, res::IDC_PLAYTIME);
  m_pPlaytime->setText(" 0:0");
  m_pBitrate = SunkenField(this, res::IDC_BITRATE);
  m_pSize = SunkenField(this, res::IDC_SIZE);
  m_pTags = SunkenField(this, res::IDC_TAGS);
  m_pTags->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_pTags->setFixedHeight(4 * m_pTags->fontMetrics().lineSpacing() + 2 * m_pTags->frameWidth() + 2);
  for (QWidget* field : std::initializer_list<QWidget*>{m_ctlCategory, m_pReadOnlyCategory, m_pYear, m_pArtist,
                                                        m_pPlaytime, m_pBitrate, m_pSize, m_pTags}) {
    field->setWhatsThis(QString::fromStdString(res::WhatsThisText(field->objectName().toUInt())));
  }

  auto* categoryLabel = new QLabel(res::label::kCategory, this);
  categoryLabel->setBuddy(m_ctlCategory);
  auto* yearLabel = new QLabel(res::label::kYear, this);
  yearLabel->setBuddy(m_pYear);
  auto* artistLabel = new QLabel(res::label::kSongArtist, this);
  artistLabel->setBuddy(m_pArtist);

  // The category combo and its read-only stand-in share one place.
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(0, 1);
  int row = 0;
  grid->addWidget(categoryLabel, row++, 0, 1, 2);
  grid->addWidget(m_ctlCategory, row, 0);
  grid->addWidget(m_pReadOnlyCategory, row++, 0);
  grid->addWidget(yearLabel, row++, 0, 1, 2);
  grid->addWidget(m_pYear, row++, 0);
  grid->addWidget(artistLabel, row++, 0, 1, 2);
  grid->addWidget(m_pArtist, row++, 0);
  grid->addWidget(new QLabel(res::label::kPlaytime, this), row++, 0, 1, 2);
  grid->addWidget(m_pPlaytime, row, 0);
  grid->addWidget(new QLabel("m:s", this), row++, 1);
  grid->addWidget(new QLabel(res::label::kBitrate, this), row++, 0, 1, 2);
  grid->addWidget(m_pBitrate, row++, 0);
  grid->addWidget(new QLabel(res::label::kSize, this), row++, 0, 1, 2);
  grid->addWidget(m_pSize, row, 0);
  grid->addWidget(new QLabel("MB", this), row++, 1);
  grid->addWidget(new QLabel(res::label::kTags, this), row++, 0, 1, 2);
  grid->addWidget(m_pTags, row++, 0);
  grid->setRowStretch(row, 1);
  setFixedSize(230, 300 + m_pTags->height() + m_pTags->fontMetrics().lineSpacing() + 2 * grid->verticalSpacing());
}

void GPropDataPage::SetReadOnly(bool readOnly, bool artist) {
  const PageLock lock = DecidePageLock(readOnly, artist);
  m_ctlCategory->setVisible(!lock.categoryReadOnly);
  m_pReadOnlyCategory->setVisible(lock.categoryReadOnly);
  m_pYear->setReadOnly(lock.yearReadOnly);
  m_pArtist->setReadOnly(lock.artistReadOnly);
}

void GPropDataPage::OnCategoryAdded(int row) {
  const QString edit = m_ctlCategory->currentText();
  m_ctlCategory->insertItem(row, Text(Categories().Entries()[static_cast<size_t>(row)]));
  m_ctlCategory->setEditText(edit);
}

bool GPropDataPage::UpdateData(bool pull) {
  if (pull) {
    const auto year = ParseYearField(m_pYear->text().toStdString());
    m_strCategory = m_ctlCategory->currentText().toStdString();
    if (year) m_nYear = *year;
    m_strPlaytime = m_pPlaytime->text().toStdString();
    m_strBitrate = m_pBitrate->text().toStdString();
    m_strTags = m_pTags->text().toStdString();
    m_strArtist = m_pArtist->text().toStdString();
    m_strSize = m_pSize->text().toStdString();
    return year.has_value();
  }
  // Select the matching entry, then show the category exactly as it was given, so a
  // pull right after gives it back unchanged.
  m_ctlCategory->blockSignals(true);
  m_ctlCategory->setCurrentIndex(Categories().Find(m_strCategory));
  m_ctlCategory->setEditText(Text(m_strCategory));
  m_ctlCategory->blockSignals(false);
  m_pYear->setText(m_nYear ? QString::number(m_nYear) : QString());  // no year: an empty field
  m_pPlaytime->setText(Text(m_strPlaytime));
  m_pBitrate->setText(Text(m_strBitrate));
  m_pTags->setText(Text(m_strTags));
  m_pArtist->setText(Text(m_strArtist));
  m_pSize->setText(Text(m_strSize));
  return true;
}

void GPropDataPage::SetDlgItemText(int id, const std::string& text) {
  if (id == res::IDC_CATEGORY_READONLY) m_pReadOnlyCategory->setText(Text(text));
  if (id == res::IDC_SIZE) m_pSize->setText(Text(text));
  if (id == res::IDC_PLAYTIME) m_pPlaytime->setText(Text(text));
  if (id == res::IDC_BITRATE) m_pBitrate->setText(Text(text));
  if (id == res::IDC_TAGS) m_pTags->setText(Text(text));
}

void GPropDataPage::FocusFirstField() {
  if (m_ctlCategory->isVisible()) {
    m_ctlCategory->setFocus();
  } else {
    m_pYear->setFocus();
  }
}

SPropertySheet::SPropertySheet(QWidget* parent) : QTabWidget(parent) {
  setObjectName("sheet");
  // The page keeps its size at the top; the cover takes the room below it.
  auto* dataTab = new QWidget(this);
  auto* column = new QVBoxLayout(dataTab);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(&m_pageData, 0, Qt::AlignLeft | Qt::AlignTop);
  column->addWidget(&m_cover, 1);
  addTab(dataTab, res::caption::kDataTab);
  setCurrentIndex(0);
}

CTabForm::CTabForm(QWidget* parent) : QWidget(parent), m_pSheet(new SPropertySheet(this)) {
  setObjectName("details");
}

void CTabForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_pSheet->setGeometry(0, 0, width(), height());  // the sheet fills the pane; the page keeps its size
  emit resized();
}
