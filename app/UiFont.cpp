#include "app/UiFont.h"

#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

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

void FitText(QWidget& control, const QString& text, int room) {
    constexpr double kSmallestPoints = 6.0;
    QFont font = control.font();
    if (font.pointSizeF() <= 0) return;  // sized in pixels: left as it is
    while (QFontMetrics(font).horizontalAdvance(text) > room && font.pointSizeF() - 0.25 >= kSmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    if (font != control.font()) control.setFont(font);
}

}  // namespace quillmere
