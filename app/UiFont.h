// UiFont: the font of every window. The windows were drawn for "ＭＳ Ｐゴシック" at 9 points; where
// that font is not installed a Japanese sans-serif of the same size stands in, so the Japanese
// texts render (and fit their controls) on a desktop without it.
#pragma once

#include <QFont>

class QWidget;

namespace quillmere {

QFont JapaneseUiFont();

// Shrinks the control's font in small steps until text fits in room pixels. The layout's sizes
// are fixed and were drawn for narrower fonts than some the desktop may pick (full-width kana,
// wider Latin letters), and a caption cut short ("HomePage  " without its colon) misleads.
void FitText(QWidget& control, const QString& text, int room);

}  // namespace quillmere
