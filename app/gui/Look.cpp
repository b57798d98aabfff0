#include "app/gui/Look.h"

namespace tadmor::gui {

QFont GothicFont(int pixelSize) {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    // Condensed to 90 %: the layout's captions and auto-sized labels were
    // measured in a Gothic face about that much narrower than this one (the
    // version label " 2008.8.3  " is 69 pixels wide at 15 pixels high).
    font.setStretch(90);
    return font;
}

}  // namespace tadmor::gui
