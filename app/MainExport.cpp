// Pictures of the views to the clipboard, and the desktop's ways into the open and paste buttons:
// a file dropped on the window and the Ctrl+O / Ctrl+V shortcuts.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <array>
#include <string>

#include "app/Main.h"
#include "data/Message.h"
#include "platform/Dialogs.h"
#include "views2d/FramedViews.h"

namespace orvelle {
namespace {

// The first local regular file among the dragged URLs; empty when there is none.
QString DraggedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return QString();
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
  }
  return QString();
}

}  // namespace

void TForm1::Btn_CopyButtonClick(QObject* sender) {
  static constexpr const char* kViewNames[] = {"Colormap", "Contour", "LineGraph", "3D"};
  const int tag = TagOf(sender);
  switch (tag) {
    case 0: {
      // The cross-hair and the range button are not part of the picture.
      const std::array<QWidget*, 3> overlays{Shp_CM_VertLine, Shp_CM_HorzLine, Btn_RangeReset};
      for (QWidget* overlay : overlays) overlay->hide();
      // Pending repaints run before the pixels are read; a click queued meanwhile must not start
      // a second copy inside this one.
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      CopyCanvasRegion(kFramedColormapArea);
      for (QWidget* overlay : overlays) overlay->show();
      break;
    }
    case 1:
      CopyCanvasRegion(kFramedContourArea);
      break;
    case 2:
      CopyCanvasRegion(QRect(8, 376, 393, 233));
      break;
    case 3: {
      const QImage image = Copy3DView();
      // Saying "copied" over an empty clipboard would send the user off to paste nothing.
      if (image.isNull()) {
        ShowMessage("Copy '3D' image failed.");
        return;
      }
      SetClipboardImage(image);
      break;
    }
    default:
      return;
  }
  ShowMessage(std::string("Copy '") + kViewNames[tag] + "' image to clipboard.");
}

void TForm1::CopyCanvasRegion(const QRect& region) {
  // Rendered at one image pixel per window pixel, so the picture has the designed size on a
  // scaled screen too.
  QImage image(region.size(), QImage::Format_RGB32);
  image.fill(palette().window().color());
  render(&image, QPoint(), QRegion(region));
  SetClipboardImage(image);
}

void TForm1::InstallDesktopActions() {
  setAcceptDrops(true);
  // Through the buttons themselves, so a disabled button keeps its shortcut inactive too.
  auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
  open->setObjectName("Sct_Open");
  connect(open, &QShortcut::activated, Btn_Open, &QPushButton::click);
  auto* paste = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_V), this);
  paste->setObjectName("Sct_Paste");
  connect(paste, &QShortcut::activated, Btn_Paste, &QPushButton::click);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString path = DraggedFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Opened after the drop has finished, so a message box does not hold the file manager's drag.
  QTimer::singleShot(0, this, [this, path] {
    GetParam();
    OpenThkFile(path);
  });
}

}  // namespace orvelle
