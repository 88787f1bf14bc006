#pragma once
// What assistive technology (a screen reader, the desktop's accessibility
// bus) reads of the windows beyond Qt's defaults.
//
// Qt names a label by its text, and a label without text by the caption whose
// buddy it is; a label whose accessible name is set reads as that name only.
// A value shown in a label next to its caption must read as the value (an
// empty one as nothing), described and labelled by the caption.

#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace platform {

// The label shows a value that the caption names (a label, or a group box by
// its title): it reads as its text (an empty label reads as nothing), its
// description is the caption, and it is labelled by the caption.
void TieValueToCaption(QLabel* value, QWidget* caption);

// The label acts as a link: it takes the keyboard focus with Tab, Enter and
// Space activate it, and assistive technology sees a link with a press action.
// (A mouse click is the window's own business.)
void MakeKeyboardLink(QLabel* label, std::function<void()> activate);

// A helper widget the window never shows (a scratch list, say) is kept out of
// the accessible tree: it stays the window's child for ownership and lookup,
// but is not listed among the controls.
void HideFromAssistiveTechnology(QWidget* helper);

}  // namespace platform
