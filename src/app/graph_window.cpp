#include "app/graph_window.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <optional>
#include <string>

#include "app/app_info.h"
#include "app/dialogs.h"
#include "app/graph_box.h"
#include "display/response_graph.h"
#include "graph/qt/graph_file.h"
#include "graph/qt/qimage_canvas.h"
#include "plots/response_plot.h"
#include "text/number_text.h"

namespace quarvel::app {

namespace {

// The surface a hidden window starts with, before the main window sizes it.
constexpr QSize kInitialSurface(640, 480);
// Picture sides stay within this (the plot area's limit plus room for axes and titles).
constexpr int kMaxSurfaceExtent = GraphWindow::kMaxPlotExtent + 1024;
constexpr int kMaxCorrections = 10;

// Width (height) of the plot area of a picture drawn with `layout`; 0 for no picture.
int PlotExtent(const std::optional<GraphLayout>& layout, bool horizontal) {
  if (!layout) return 0;
  const PixelRect& plot = layout->PlotRect;
  return horizontal ? plot.Right - plot.Left : plot.Bottom - plot.Top;
}

}  // namespace

GraphWindow::GraphWindow(Dialogs& dialogs, Graph& graph, const Workbench& bench,
                         const Playback& playback, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      graph_(graph),
      bench_(bench),
      playback_(playback) {
  setObjectName("frmTLGraph2D");
  setWindowTitle("Graph");

  menuBar_ = new QMenuBar(this);
  QMenu* settings = menuBar_->addMenu("Settings");
  settings->setObjectName("mnuSettings");
  const auto command = [this, settings](const char* name, const QString& caption,
                                        const QKeySequence& keys, auto run) {
    QAction* action = settings->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(keys);
    addAction(action);  // the keys work wherever the focus is in this window
    connect(action, &QAction::triggered, this, run);
  };
  command("mnuCopyToClipboard", "Copy to clipboard", QKeySequence::Copy,
          &GraphWindow::CopyToClipboard);
  command("mnuSavePicture", "Save Picture...", QKeySequence::Save, &GraphWindow::SavePicture);
  settings->addSeparator();
  command("mnuPlotWidth", "Plot width...", QKeySequence(Qt::CTRL | Qt::Key_F12),
          [this] { AskPlotExtent(true); });
  command("mnuPlotHeight", "Plot height...", QKeySequence(Qt::CTRL | Qt::Key_F11),
          [this] { AskPlotExtent(false); });

  picture_ = new GraphBox(this);
  picture_->setObjectName("Picture1");
  picture_->setMinimumSize(1, 1);
  picture_->setMouseTracking(true);
  connect(picture_, &GraphBox::PointerMoved, this, &GraphWindow::ShowReadOut);
  connect(picture_, &GraphBox::PointerLeft, this, [this] { statusBar_->clearMessage(); });

  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName("StatusBar1");

  canvas_ = std::make_unique<QImageCanvas>(1, 1);
  setFocusPolicy(Qt::StrongFocus);
  SetSurfaceSize(kInitialSurface);
}

GraphWindow::~GraphWindow() = default;

const QImage& GraphWindow::Picture() const { return picture_->Image(); }

int GraphWindow::MenuHeight() const { return menuBar_->sizeHint().height(); }

int GraphWindow::StatusHeight() const { return statusBar_->sizeHint().height(); }

QSize GraphWindow::SurfaceSize() const {
  return QSize(std::max(width(), 1), std::max(height() - MenuHeight() - StatusHeight(), 1));
}

void GraphWindow::SetSurfaceSize(QSize size) {
  resizing_ = true;
  resize(size.width(), MenuHeight() + size.height() + StatusHeight());
  resizing_ = false;
  PlaceChildren(SurfaceSize());
}

void GraphWindow::PlaceChildren(QSize size) {
  const int top = MenuHeight();
  menuBar_->setGeometry(0, 0, width(), top);
  picture_->setGeometry(0, top, size.width(), size.height());
  statusBar_->setGeometry(0, top + size.height(), width(), StatusHeight());
}

bool GraphWindow::DrawAt(QSize size) {
  if (canvas_->Width() != size.width() || canvas_->Height() != size.height()) {
    canvas_->Resize(size.width(), size.height());
  }
  // The graph's fonts are sized in points: 1440 twips per inch at the screen's resolution.
  canvas_->SetTwipsPerPixel(1440.0 / std::max(logicalDpiY(), 1));
  graph_.SetSurface(canvas_.get());
  const GraphLayout previous = shown_.value_or(GraphLayout{});
  shown_ = DrawResponseFrame(graph_, bench_, playback_.Frame(), previous);
  if (!shown_) canvas_->Resize(size.width(), size.height());  // white
  picture_->SetImage(canvas_->Image());
  return shown_.has_value();
}

void GraphWindow::FitSurface() {
  const QSize size = SurfaceSize();
  PlaceChildren(size);
  DrawAt(size);
}

void GraphWindow::RedrawIfShown() {
  if (isVisible()) FitSurface();
}

void GraphWindow::ShowWithSurfaceSize(QSize size) {
  if (!isVisible()) SetSurfaceSize(size);
  show();
  raise();
  activateWindow();
  FitSurface();
}

void GraphWindow::ClearGraph() {
  graph_.SeriesList().clear();
  statusBar_->clearMessage();
  DrawAt(SurfaceSize());
}

void GraphWindow::SetGraphWidth(int32_t width) { SetPlotExtent(width, true); }

void GraphWindow::SetGraphHeight(int32_t height) { SetPlotExtent(height, false); }

int GraphWindow::LargestSurfaceExtent(bool horizontal) const {
  const QScreen* shown = screen();
  if (shown == nullptr) return kMaxSurfaceExtent;
  // The frame the window manager adds, where it is known, but at least the usual allowance.
  const QSize frame =
      (frameGeometry().size() - geometry().size()).expandedTo(kWindowFrameAllowance);
  const QSize room = shown->availableGeometry().size() - frame;
  const int largest = horizontal ? room.width() : room.height() - MenuHeight() - StatusHeight();
  return std::clamp(largest, 1, kMaxSurfaceExtent);
}

int32_t GraphWindow::LargestPlotExtent(bool horizontal) const {
  const QSize surface = SurfaceSize();
  const int margins = shown_ ? (horizontal ? surface.width() : surface.height()) -
                                   PlotExtent(shown_, horizontal)
                             : 0;
  return std::clamp(LargestSurfaceExtent(horizontal) - margins, 1, kMaxPlotExtent);
}

void GraphWindow::SetPlotExtent(int32_t extent, bool horizontal) {
  if (extent < 1 || extent > kMaxPlotExtent) return;
  QSize size = SurfaceSize();
  const int largest = LargestSurfaceExtent(horizontal);
  auto setSide = [&](int value) {
    value = std::clamp(value, 1, largest);
    if (horizontal) {
      size.setWidth(value);
    } else {
      size.setHeight(value);
    }
  };
  setSide(extent);
  picture_->hide();
  // The margins depend on the measured tick texts, which depend on the size: a few
  // corrections bring the plot area to the asked extent.
  if (DrawAt(size)) {
    for (int i = 0; i < kMaxCorrections; ++i) {
      const int d = extent - PlotExtent(shown_, horizontal);
      if (d == 0) break;
      setSide((horizontal ? size.width() : size.height()) + d);
      if (!DrawAt(size)) break;
    }
  }
  SetSurfaceSize(size);
  picture_->show();
}

void GraphWindow::CopyToClipboard() {
  DrawAt(picture_->size());
  QGuiApplication::clipboard()->setImage(Picture());
}

void GraphWindow::SavePicture() {
  const std::optional<QString> path = dialogs_.SaveFile(this, PictureSaveRequest());
  if (!path) return;
  const std::string file = path->toStdString();
  // The graph as shown here, dressed for a figure of its own; the shown graph stays as it is.
  Graph picture = graph_;
  FileResult saved;
  if (!shown_ || !DressResponseGraph(picture, bench_, true)) {
    saved = FileResult::Failure(file, "there is no graph to save");
  } else {
    const QSize size = SurfaceSize();
    saved = SaveFigurePicture(CurvePlotOfGraph(picture), PictureSize{size.width(), size.height()},
                              file, PictureFormatOfPath(file));
  }
  if (!saved) {
    dialogs_.Message(this,
                     "The picture was not saved.\n\n" + QString::fromStdString(saved.Describe()),
                     MessageIcon::Exclamation, {});
  }
}

void GraphWindow::AskPlotExtent(bool horizontal) {
  const QString title = horizontal ? "Graph width" : "Graph height";
  const std::optional<QString> answer = dialogs_.InputText(
      this, title, title, QString::number(PlotExtent(shown_, horizontal)));
  // Cancel and an empty answer leave the graph as it is (a zero size would make it vanish).
  if (!answer || answer->trimmed().isEmpty()) return;
  const int32_t largest = LargestPlotExtent(horizontal);
  int32_t extent = 0;
  if (!ToInt32(Val(answer->toStdString()), extent) || extent < 1 || extent > largest) {
    dialogs_.Message(this,
                     QString("\"%1\" is not a plot %2 the graph window can take here: give a "
                             "whole number of pixels from 1 to %3.")
                         .arg(answer->trimmed(), horizontal ? "width" : "height")
                         .arg(largest),
                     MessageIcon::Exclamation, {});
    return;
  }
  SetPlotExtent(extent, horizontal);
}

void GraphWindow::ShowReadOut(QPoint position) {
  // The layout of the picture on this window's surface, whatever was drawn elsewhere since.
  std::optional<std::string> text;
  if (shown_) text = graph_.FormatCoordinates(*shown_, position.x(), position.y());
  if (text && !text->empty()) {
    statusBar_->showMessage(QString::fromStdString(*text));
  } else {
    statusBar_->clearMessage();
  }
}

void GraphWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
  } else {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
}

void GraphWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resizing_) return;
  // A hidden window only keeps its size; it is drawn when shown.
  if (isVisible()) {
    FitSurface();
  } else {
    PlaceChildren(SurfaceSize());
  }
}

}  // namespace quarvel::app
