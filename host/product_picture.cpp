#include "product_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace host_ui {

QPixmap ProductPicture(const QSize& size, qreal devicePixelRatio) {
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  QPixmap pm(size * ratio);
  pm.setDevicePixelRatio(ratio);  // the painter below works in device-independent pixels
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = size.width(), h = size.height();
  // The router's case.
  const QRectF body(w * 0.06, h * 0.22, w * 0.88, h * 0.56);
  QLinearGradient g(body.topLeft(), body.bottomLeft());
  g.setColorAt(0, QColor(70, 90, 120));
  g.setColorAt(1, QColor(30, 40, 60));
  p.setPen(QPen(QColor(20, 25, 35), qMax(1.0, w / 80)));
  p.setBrush(g);
  p.drawRoundedRect(body, w * 0.05, w * 0.05);
  // The name plate.
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(qMax(6, int(h * 0.2)));
  p.setFont(f);
  p.setPen(QColor(235, 240, 250));
  p.drawText(QRectF(body.left() + w * 0.06, body.top(), w * 0.5, body.height()), Qt::AlignVCenter | Qt::AlignLeft,
             QStringLiteral("RLX"));
  // Three modem lights.
  const qreal r = h * 0.05;
  const QColor lights[3] = {QColor(60, 210, 90), QColor(240, 190, 40), QColor(60, 210, 90)};
  for (int i = 0; i < 3; ++i) {
    p.setPen(Qt::NoPen);
    p.setBrush(lights[i]);
    p.drawEllipse(QPointF(body.right() - w * 0.1 - i * r * 3.2, body.center().y()), r, r);
  }
  // The telephone line.
  QPainterPath line;
  line.moveTo(body.right() - w * 0.08, body.top());
  line.cubicTo(body.right(), h * 0.02, w * 0.7, h * 0.1, w * 0.62, h * 0.04);
  p.setPen(QPen(QColor(30, 30, 30), qMax(1.0, w / 60)));
  p.setBrush(Qt::NoBrush);
  p.drawPath(line);
  return pm;
}

}  // namespace host_ui
