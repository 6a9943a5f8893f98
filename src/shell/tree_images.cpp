#include "tree_images.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "tree/node_kinds.h"

namespace {

constexpr int kSize = 16;

void DrawDrive(QPainter& p, const QColor& body, int kind) {
  p.setPen(QPen(QColor(60, 60, 60), 0.8));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
  p.setBrush(QColor(80, 200, 80));
  p.drawEllipse(QRectF(11, 8.5, 2, 2));
  if (kind == kImageCdRom) {
    p.setBrush(QColor(230, 230, 240));
    p.drawEllipse(QRectF(3, 1, 8, 8));
    p.drawEllipse(QRectF(6, 4, 2, 2));
  } else if (kind == kImageNetworkDrive) {
    p.setPen(QPen(QColor(40, 90, 160), 1.2));
    p.drawLine(QPointF(8, 12.5), QPointF(8, 15.5));
    p.drawLine(QPointF(3, 15.5), QPointF(13, 15.5));
  } else if (kind == kImageRemovable) {
    p.setPen(QPen(QColor(30, 30, 30), 1.0));
    p.drawLine(QPointF(4, 9.5), QPointF(9, 9.5));
  }
}

void DrawNode(QPainter& p, int image) {
  const bool open = image % 2 == 1;
  const int base = image - (open ? 1 : 0);
  switch (base) {
    case kImageTop:
      p.setPen(QPen(QColor(110, 110, 110), 2.0));
      if (open) {
        p.drawLine(QPointF(3, 8), QPointF(12, 8));
        p.drawLine(QPointF(9, 5), QPointF(12, 8));
        p.drawLine(QPointF(9, 11), QPointF(12, 8));
      } else {
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
      }
      break;
    case kImageFixedDrive: DrawDrive(p, QColor(200, 200, 200), base); break;
    case kImageCdRom: DrawDrive(p, QColor(190, 190, 210), base); break;
    case kImageNetworkDrive: DrawDrive(p, QColor(190, 210, 230), base); break;
    case kImageRemovable: DrawDrive(p, QColor(210, 200, 170), base); break;
    case kImageFolder: {
      p.setPen(QPen(QColor(150, 110, 20), 0.8));
      p.setBrush(QColor(240, 200, 80));
      p.drawRect(QRectF(1.5, 4.5, 12, 9));
      p.drawRect(QRectF(1.5, 3.0, 5, 1.5));
      if (open) {
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15, 7.5);
        flap.lineTo(13.5, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        p.setBrush(QColor(255, 225, 130));
        p.drawPath(flap);
      }
      break;
    }
    case kImageArtist:
      p.setPen(QPen(QColor(20, 90, 30), 0.8));
      p.setBrush(QColor(60, 160, 70));
      if (open) {
        p.drawRect(QRectF(1.5, 3.5, 6, 10));
        p.drawRect(QRectF(8.5, 3.5, 6, 10));
      } else {
        p.drawRect(QRectF(3.5, 2.5, 9, 12));
        p.setPen(QPen(QColor(230, 240, 230), 1.0));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 5.5));
      }
      break;
    case kImageAlbum:
    case kImageLargeDisc: {
      const QRectF disc = base == kImageLargeDisc ? QRectF(0.5, 0.5, 15, 15) : QRectF(2, 2, 12, 12);
      p.setPen(QPen(QColor(100, 100, 120), 0.8));
      QRadialGradient shine(disc.center(), disc.width() / 2);
      shine.setColorAt(0, QColor(250, 250, 255));
      shine.setColorAt(1, open ? QColor(170, 200, 240) : QColor(190, 190, 210));
      p.setBrush(shine);
      p.drawEllipse(disc);
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(disc.center().x() - 1.5, disc.center().y() - 1.5, 3, 3));
      break;
    }
    case kImageSong: {
      p.setPen(QPen(QColor(40, 40, 40), 0.8));
      p.setBrush(QColor(90, 90, 90));
      QPainterPath speaker;
      speaker.moveTo(2, 6);
      speaker.lineTo(5, 6);
      speaker.lineTo(9, 2.5);
      speaker.lineTo(9, 13.5);
      speaker.lineTo(5, 10);
      speaker.lineTo(2, 10);
      speaker.closeSubpath();
      p.drawPath(speaker);
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(open ? QColor(30, 110, 200) : QColor(90, 90, 90), 1.0));
      p.drawArc(QRectF(8, 5, 4, 6), -60 * 16, 120 * 16);
      p.drawArc(QRectF(8, 3, 7, 10), -60 * 16, 120 * 16);
      break;
    }
    default:
      break;
  }
}

void DrawOverlay(QPainter& p, tree::Mark mark) {
  switch (mark) {
    case tree::Mark::None:
      break;
    case tree::Mark::Partly: {
      QPainterPath corner;
      corner.moveTo(0, 0);
      corner.lineTo(8, 0);
      corner.lineTo(0, 8);
      corner.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(20, 60, 220));
      p.drawPath(corner);
      break;
    }
    case tree::Mark::Marked:
      p.setPen(QPen(Qt::white, 0.8));
      p.setBrush(QColor(20, 60, 220));
      p.drawRect(QRectF(0.5, 0.5, 7, 7));
      break;
    case tree::Mark::Missing:
      p.setPen(QPen(QColor(220, 20, 20), 2.2));
      p.drawLine(QPointF(2, 2), QPointF(14, 14));
      p.drawLine(QPointF(14, 2), QPointF(2, 14));
      break;
  }
}

QPixmap Render(int image, tree::Mark mark, qreal scale) {
  QPixmap pixmap(qRound(kSize * scale), qRound(kSize * scale));
  pixmap.setDevicePixelRatio(scale);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawNode(painter, image);
  DrawOverlay(painter, mark);
  return pixmap;
}

}  // namespace

int NodeImage(tree::NodeKind kind, platform::DriveType drive, bool open) {
  int image = kImageSong;
  switch (kind) {
    case tree::NodeKind::Top: image = kImageTop; break;
    case tree::NodeKind::Volume:
      switch (drive) {
        case platform::DriveType::Fixed: image = kImageFixedDrive; break;
        case platform::DriveType::Removable: image = kImageRemovable; break;
        case platform::DriveType::Network: image = kImageNetworkDrive; break;
        case platform::DriveType::CdRom: image = kImageCdRom; break;
      }
      break;
    case tree::NodeKind::Folder: image = kImageFolder; break;
    case tree::NodeKind::Artist: image = kImageArtist; break;
    case tree::NodeKind::Album:
    case tree::NodeKind::DuplicateAlbum: image = kImageAlbum; break;
    case tree::NodeKind::AlbumSong:
    case tree::NodeKind::LooseSong: image = kImageSong; break;
  }
  return open ? image + 1 : image;
}

QIcon NodeIcon(int image, tree::Mark mark) {
  static QHash<int, QIcon> cache;
  const int key = image * 8 + static_cast<int>(mark);
  auto it = cache.find(key);
  if (it == cache.end()) {
    QIcon icon;
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) icon.addPixmap(Render(image, mark, scale));
    it = cache.insert(key, icon);
  }
  return *it;
}
