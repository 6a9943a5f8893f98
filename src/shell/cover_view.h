// CoverView: the cover of the selected album, song or folder below the details page,
// scaled to the room there. The picture is read and decoded on a thread of its own,
// so a large picture or a slow disk never holds up the window; only the latest
// request shows.
#pragma once

#include <QImage>
#include <QLabel>
#include <QThreadPool>

#include "tree/cover_source.h"

class CoverView : public QLabel {
  Q_OBJECT

 public:
  explicit CoverView(QWidget* parent = nullptr);
  // Waits for a picture still being read.
  ~CoverView() override;

  // Shows the cover of that source: nothing at once, the picture once it is read.
  void Show(const tree::CoverSource& source);
  // The picture shown, before scaling; null when none.
  const QImage& Picture() const { return m_picture; }

 signals:
  void pictureShown();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Scale();

  tree::CoverSource m_source;
  QImage m_picture;
  quint64 m_request = 0;  // the latest request; results of earlier ones are dropped
  QThreadPool m_reader;
};
