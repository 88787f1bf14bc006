#pragma once
// When RLX_SCREENSHOT_DIR is set, every top-level window the program shows is
// saved as <folder>/<objectName>.png shortly after it appears (and again when
// its contents settle), so the demo and the documentation can show the windows
// of a run without a display.

#include <QObject>
#include <QSet>

class QWidget;

namespace platform {

class ScreenshotRecorder : public QObject {
  Q_OBJECT
 public:
  // Installs the recorder on the application when the variable is set.
  static void installFromEnvironment();
  explicit ScreenshotRecorder(const QString& folder, QObject* parent = nullptr);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Saves the window now; returns the file written or "".
  QString save(QWidget* window);

 private:
  QString folder_;
  QSet<QWidget*> scheduled_;
};

}  // namespace platform
