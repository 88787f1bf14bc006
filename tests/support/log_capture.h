#pragma once
// Catches the lines of the program's diagnosis categories (rlx.*) while it
// lives, with the filter rules it was given in force ("" leaves the
// program's defaults). Other messages go on to the handler before it.

#include <QLoggingCategory>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>

namespace testing_support {

class LogCapture {
 public:
  explicit LogCapture(const QString& rules = QString()) {
    QLoggingCategory::setFilterRules(rules);
    current() = this;
    previous_ = qInstallMessageHandler(&LogCapture::handle);
  }
  ~LogCapture() {
    qInstallMessageHandler(previous_);
    current() = nullptr;
    QLoggingCategory::setFilterRules(QString());
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // "category: message", in order.
  const QStringList& lines() const { return lines_; }
  QStringList lines(const QString& category) const { return lines_.filter(QRegularExpression('^' + category + ": ")); }

 private:
  static LogCapture*& current() {
    static LogCapture* capture = nullptr;
    return capture;
  }
  static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    LogCapture* self = current();
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    if (self && category.startsWith(QLatin1String("rlx."))) {
      const QMutexLocker lock(&self->mutex_);  // the data server's threads may write too
      self->lines_ << category + QStringLiteral(": ") + message;
      return;
    }
    if (self && self->previous_)
      self->previous_(type, context, message);
  }

  QtMessageHandler previous_ = nullptr;
  QMutex mutex_;
  QStringList lines_;
};

}  // namespace testing_support
