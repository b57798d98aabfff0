// The pictures of the program, drawn by code: the extruder picture of the main
// window, the two button glyphs and the program's icon.
#pragma once

#include <QImage>

namespace tadmor::gui {

inline constexpr int kExtruderPictureWidth = 301;
inline constexpr int kExtruderPictureHeight = 142;
inline constexpr int kGlyphSize = 18;

// Side view of a single-screw extruder on a light-blue ground, 24-bit colour.
QImage ExtruderPicture();

// Button glyphs, kGlyphSize square with a transparent ground.
QImage CheckMarkGlyph();
QImage DoorGlyph();

// The program's icon, `size` pixels square.
QImage ProgramIcon(int size);

}  // namespace tadmor::gui
