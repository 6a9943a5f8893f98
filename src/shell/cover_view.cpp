#include "cover_view.h"

#include <QBuffer>
#include <QImageReader>

#include "catalogue/cover_art.h"

namespace {

// Pictures past this size are not read: no cover needs more.
constexpr std::uint64_t kMaxCoverBytes = 32ull << 20;
// Decoded no larger than this: the pane is narrower, and decoding stays quick.
constexpr int kMaxSide = 1024;

QImage ReadCover(const tree::CoverSource& source) {
  const std::string bytes = catalogue::CoverBytes(source.folder, source.firstSong, kMaxCoverBytes);
  if (bytes.empty()) return {};
  QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide)) {
    reader.setScaledSize(size.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio));
  }
  return reader.read();  // a null image for what is no picture, or too large to decode
}

}  // namespace

CoverView::CoverView(QWidget* parent) : QLabel(parent) {
  setObjectName("cover");
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  m_reader.setMaxThreadCount(1);
}

CoverView::~CoverView() {
  m_reader.clear();
  m_reader.waitForDone();
}

void CoverView::Show(const tree::CoverSource& source) {
  if (source == m_source) return;
  m_source = source;
  const quint64 request = ++m_request;
  m_picture = {};
  clear();
  if (source.folder.empty()) return;
  m_reader.clear();  // a request not started yet is of no use any more
  m_reader.start([this, source, request] {
    const QImage picture = ReadCover(source);
    // The view waits for this thread as it goes, so it is there to be posted to.
    QMetaObject::invokeMethod(
        this,
        [this, picture, request] {
          if (request != m_request) return;
          m_picture = picture;
          Scale();
          emit pictureShown();
        },
        Qt::QueuedConnection);
  });
}

void CoverView::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Scale();
}

void CoverView::Scale() {
  if (m_picture.isNull() || width() <= 0 || height() <= 0) {
    clear();
    return;
  }
  setPixmap(QPixmap::fromImage(m_picture.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
