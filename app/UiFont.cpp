#include "app/UiFont.h"

#include <QStringList>

namespace quillmere {

QFont JapaneseUiFont() {
    QFont font;
    // The proportional IPA and VL fonts have widths close to the original, so the texts
    // fit the controls they were laid out for; Noto's kana are full-width and only a last resort.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

}  // namespace quillmere
