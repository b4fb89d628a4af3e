#include "dialogs/DesignFont.h"

#include <QStringList>

namespace kv4gui {

QFont DesignFont(int pointSize) {
    QFont font(QStringLiteral("MS Sans Serif"), pointSize);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace kv4gui
