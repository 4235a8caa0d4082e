#pragma once
// Dialog units of the program's templates in pixels for the font in use: a
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.

#include <QFont>
#include <QFontMetrics>
#include <QRect>

namespace lorvane {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int letters =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        baseX_ = (letters / 26 + 1) / 2;
        baseY_ = metrics.height();
    }

    int X(int units) const { return (units * baseX_ + 2) / 4; }
    int Y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }

  private:
    int baseX_ = 6;
    int baseY_ = 13;
};

// The font of the program's templates: the system font at 8 points.
inline QFont TemplateFont(QFont font) {
    font.setPointSize(8);
    return font;
}

}  // namespace lorvane
