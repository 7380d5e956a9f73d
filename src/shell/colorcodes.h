#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

class IniFile;

// Colours as "color.ini" stores them: blue·65536 + green·256 + red, or with the top
// byte 0xFF a system colour whose index is in the low byte.
namespace ColorCodes
{

constexpr qint32 kButtonFace = qint32(0xFF00000Fu); // -16777201

qint32 Encode(const QColor &color);
// A system colour becomes the palette's colour of the matching role.
QColor Decode(qint32 code, const QPalette &palette);
// Palette role of a system colour index; false for an index without a counterpart.
bool SystemRole(int index, QPalette::ColorGroup *group, QPalette::ColorRole *role);

// Most entries a section is read with: one per control of the window, with room to
// spare; a larger count is damage, and looping over it would hold the start.
constexpr int kMaxEntries = 10000;

// The entry count of a section within 0..kMaxEntries.
int EntryCount(IniFile &ini, const QString &section);

// Number of the entry of `name` in a numbered section (keys "count", "name"i), matched
// exactly; a name not yet present gets count + 1 and the count is raised; -1 when
// the section is full.
int EntryFor(IniFile &ini, const QString &section, const QString &name);

} // namespace ColorCodes
