// UiFont: the font of every window. The windows were drawn for "ＭＳ Ｐゴシック" at 9 points; where
// that font is not installed a Japanese sans-serif of the same size stands in, so the Japanese
// texts render (and fit their controls) on a desktop without it.
#pragma once

#include <QFont>

namespace quillmere {

QFont JapaneseUiFont();

}  // namespace quillmere
