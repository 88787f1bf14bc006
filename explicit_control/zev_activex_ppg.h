#pragma once
// CZEV_ActiveXPropPage: the control's one property page, captioned "General".
// The control has no property that a page could usefully edit, so the page
// holds no editing controls.

#include <QWidget>

class CZEV_ActiveXPropPage : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "General";
  explicit CZEV_ActiveXPropPage(QWidget* parent = nullptr);
};
