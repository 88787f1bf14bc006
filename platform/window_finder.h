#pragma once
// Looking up top-level windows by title and asking them to close, as the
// template registration does with the windows of the interface compiler.

#include <QString>

namespace platform {

class WindowFinder {
 public:
  virtual ~WindowFinder() = default;
  // True while a top-level window with exactly this title exists.
  virtual bool exists(const QString& title) = 0;
  // Posts a close request to the window with this title, if there is one.
  virtual void postClose(const QString& title) = 0;
};

// The process's finder (the Qt one unless a test installs another).
WindowFinder& windowFinder();
void setWindowFinder(WindowFinder* finder);

// Finds the top-level windows of this program.
class QtWindowFinder : public WindowFinder {
 public:
  bool exists(const QString& title) override;
  void postClose(const QString& title) override;
};

}  // namespace platform
