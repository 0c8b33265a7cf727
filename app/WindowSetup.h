// WindowSetup: what every window of the program is built with: the fixed-size frame with only a
// close box, Esc pressing the cancel button, and controls placed in twips under their names.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>

class QAbstractButton;

namespace quillmere {

// A frame the user cannot resize, with a title, the system menu and a close box, and neither a
// minimise nor a maximise button (the main window is minimised from the taskbar).
Qt::WindowFlags FixedWindowFlags(Qt::WindowType type);

// Esc anywhere in the window presses button. A dialog's own Esc would close it like the close
// box instead, which answers differently.
void CancelOnEscape(QWidget& window, QAbstractButton& button);

// Creates a control of the window with its object name at geometry (see Twips::Rect); args are
// the control's own constructor arguments before the parent.
template <typename Control, typename... Args>
Control* AddControl(QWidget* parent, const QString& name, const QRect& geometry, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

}  // namespace quillmere
