// Fonts and colours shared by the two windows.
#pragma once

#include <QColor>
#include <QFont>

namespace tadmor::gui {

inline const QColor kCaptionBlue{0, 0, 255};
inline const QColor kCaptionRed{255, 0, 0};
inline const QColor kTextBlack{0, 0, 0};

// The windows' Japanese proportional Gothic font, sized in pixels so that the
// layout does not depend on the screen's dots per inch.
QFont GothicFont(int pixelSize);

}  // namespace tadmor::gui
