#pragma once
// A box that shows the picture a graph was drawn on: the main window's graph box and the
// graph window's drawing surface. It says when its size changed, so that the graph can be
// drawn again at the new size, and passes on the pointer over it.

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace quarvel::app {

class GraphBox : public QWidget {
  Q_OBJECT

 public:
  explicit GraphBox(QWidget* parent = nullptr);

  // Shows `image` from the top-left corner; the rest of the box stays white.
  void SetImage(const QImage& image);
  // An empty, white box.
  void Clear();
  const QImage& Image() const { return image_; }

 signals:
  void Resized();
  void DoubleClicked();
  // Pointer position in the box's pixels (sent without a button held only when mouse
  // tracking is on).
  void PointerMoved(QPoint position);
  void PointerLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage image_;
};

}  // namespace quarvel::app
