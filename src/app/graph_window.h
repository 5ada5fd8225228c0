#pragma once
// The graph window: shows the main window's graph, which the main window owns and lends it, on
// a drawing surface of its own. It stays hidden until the user asks for it (a double click on
// the main window's graph); then it shows the same graph at its own size (the playback frame
// the main window's playback shows, or the whole response), reads out the data coordinates
// under the pointer in its status bar and, from its "Settings" menu, copies the picture to the
// clipboard, saves it as a picture file with a legend and units (PNG, JPEG, SVG, PDF) and sets
// the plot area to an exact size in pixels (Ctrl+F12 width, Ctrl+F11 height). Escape hides it.
// The window never grows beyond the screen.

#include <QSize>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

#include "display/playback.h"
#include "graph/graph.h"
#include "solve/workbench.h"

class QMenuBar;
class QStatusBar;

namespace quarvel {
class QImageCanvas;
}

namespace quarvel::app {

class Dialogs;
class GraphBox;

class GraphWindow : public QWidget {
  Q_OBJECT

 public:
  // Largest plot area SetGraphWidth and SetGraphHeight accept, in pixels.
  static constexpr int32_t kMaxPlotExtent = 4096;

  // A hidden top-level window (over `parent`, may be null) that draws `graph`, fed from `bench`,
  // as `playback` shows it. Its input boxes go through `dialogs`. All four must outlive it.
  GraphWindow(Dialogs& dialogs, Graph& graph, const Workbench& bench, const Playback& playback,
              QWidget* parent = nullptr);
  ~GraphWindow() override;

  // The graph lent to the window. Whoever draws it elsewhere sets its surface first.
  Graph& GraphModel() { return graph_; }

  // Size of the drawing surface the window's inner size gives: everything between the menu
  // bar and the status bar.
  QSize SurfaceSize() const;
  // Sizes the window (hidden or not) so that its drawing surface gets `size`; no drawing.
  void SetSurfaceSize(QSize size);
  // Places the surface between the menu and the status bar at the window's inner size and
  // draws the graph on it.
  void FitSurface();
  // Redraws when the window is on screen (the graph changed under it).
  void RedrawIfShown();
  // Brings the window on screen with the current graph, its surface `size` large.
  void ShowWithSurfaceSize(QSize size);
  // Removes the graph: the surface shows white until the next graph comes.
  void ClearGraph();

  // Make the plot area (between the axes) exactly `width` (`height`) pixels by resizing the
  // surface and redrawing, up to ten corrections as the margins follow the measured texts;
  // then the window takes the size of the surface. Values outside 1..kMaxPlotExtent do nothing;
  // the surface stops where the window would leave the screen's available area.
  void SetGraphWidth(int32_t width);
  void SetGraphHeight(int32_t height);
  // The largest plot width (height) the window can take on its screen with the margins of the
  // picture shown, at most kMaxPlotExtent.
  int32_t LargestPlotExtent(bool horizontal) const;

  // Repaints the surface and puts its picture on the clipboard.
  void CopyToClipboard();
  // Asks for a file and saves the graph as shown, at the surface's size, with a legend and the
  // axes' units; the format follows the file's extension. A failure is said in a message.
  void SavePicture();

  // The surface's current picture and the layout it was drawn with (empty while it is white).
  const QImage& Picture() const;
  const std::optional<GraphLayout>& PictureLayout() const { return shown_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int MenuHeight() const;
  int StatusHeight() const;
  // Lays out menu, surface and status bar for a surface of `size`.
  void PlaceChildren(QSize size);
  // Draws the graph on a surface of `size` and keeps the layout it was drawn with; false when
  // nothing was drawn (no graph).
  bool DrawAt(QSize size);
  // Shared by SetGraphWidth and SetGraphHeight.
  void SetPlotExtent(int32_t extent, bool horizontal);
  // The largest surface width (height) that keeps the window within the screen.
  int LargestSurfaceExtent(bool horizontal) const;
  // Ctrl+F12 / Ctrl+F11: asks for the plot width (height) and sets it; a size it cannot take
  // is refused with a message.
  void AskPlotExtent(bool horizontal);
  void ShowReadOut(QPoint position);

  Dialogs& dialogs_;
  Graph& graph_;
  const Workbench& bench_;
  const Playback& playback_;
  std::unique_ptr<QImageCanvas> canvas_;
  // Layout of the picture on the surface; empty while it is white. The pointer read-out and
  // the plot size dialogs work from it: the main window draws the same graph at another size.
  std::optional<GraphLayout> shown_;
  QMenuBar* menuBar_ = nullptr;
  GraphBox* picture_ = nullptr;   // Picture1
  QStatusBar* statusBar_ = nullptr;  // StatusBar1
  bool resizing_ = false;  // the window is being sized to its surface: no refit
};

}  // namespace quarvel::app
