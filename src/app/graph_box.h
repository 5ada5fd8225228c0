#pragma once
// The main window's graph box: shows the picture the graph was drawn on and says when its
// size changed, so that the graph can be drawn again at the new size.

#include <QImage>
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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage image_;
};

}  // namespace quarvel::app
