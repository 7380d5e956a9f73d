#include "shell/colorcodes.h"

#include "link/inifile.h"

namespace ColorCodes
{

qint32 Encode(const QColor &color)
{
    return qint32(quint32(color.blue()) << 16 | quint32(color.green()) << 8 | quint32(color.red()));
}

bool SystemRole(int index, QPalette::ColorGroup *group, QPalette::ColorRole *role)
{
    struct Entry {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    // Indexes of the Windows system colours, in their order.
    static const Entry kRoles[] = {
        {QPalette::Active, QPalette::Mid},               // 0 scroll bar
        {QPalette::Active, QPalette::Window},            // 1 desktop
        {QPalette::Active, QPalette::Highlight},         // 2 active caption
        {QPalette::Inactive, QPalette::Highlight},       // 3 inactive caption
        {QPalette::Active, QPalette::Window},            // 4 menu
        {QPalette::Active, QPalette::Base},              // 5 window
        {QPalette::Active, QPalette::Shadow},            // 6 window frame
        {QPalette::Active, QPalette::WindowText},        // 7 menu text
        {QPalette::Active, QPalette::Text},              // 8 window text
        {QPalette::Active, QPalette::HighlightedText},   // 9 caption text
        {QPalette::Active, QPalette::Window},            // 10 active border
        {QPalette::Inactive, QPalette::Window},          // 11 inactive border
        {QPalette::Active, QPalette::Dark},              // 12 application workspace
        {QPalette::Active, QPalette::Highlight},         // 13 highlight
        {QPalette::Active, QPalette::HighlightedText},   // 14 highlighted text
        {QPalette::Active, QPalette::Button},            // 15 button face
        {QPalette::Active, QPalette::Dark},              // 16 button shadow
        {QPalette::Disabled, QPalette::Text},            // 17 grey text
        {QPalette::Active, QPalette::ButtonText},        // 18 button text
        {QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
        {QPalette::Active, QPalette::Light},             // 20 button highlight
        {QPalette::Active, QPalette::Shadow},            // 21 3D dark shadow
        {QPalette::Active, QPalette::Midlight},          // 22 3D light
        {QPalette::Active, QPalette::ToolTipText},       // 23 info text
        {QPalette::Active, QPalette::ToolTipBase},       // 24 info background
        {QPalette::Active, QPalette::Window},            // 25 (unused)
        {QPalette::Active, QPalette::Link},              // 26 hot light
        {QPalette::Active, QPalette::Highlight},         // 27 gradient active caption
        {QPalette::Inactive, QPalette::Highlight},       // 28 gradient inactive caption
        {QPalette::Active, QPalette::Highlight},         // 29 menu highlight
        {QPalette::Active, QPalette::Window},            // 30 menu bar
    };
    if (index < 0 || index >= int(std::size(kRoles)))
        return false;
    *group = kRoles[index].group;
    *role = kRoles[index].role;
    return true;
}

QColor Decode(qint32 code, const QPalette &palette)
{
    const quint32 v = quint32(code);
    if ((v >> 24) == 0xFF) {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
        if (!SystemRole(int(v & 0xFF), &group, &role)) {
            group = QPalette::Active;
            role = QPalette::Button;
        }
        return palette.color(group, role);
    }
    return QColor(int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF));
}

int EntryCount(IniFile &ini, const QString &section)
{
    return qBound(0, ini.ReadInteger(section, QStringLiteral("count"), 0), kMaxEntries);
}

int EntryFor(IniFile &ini, const QString &section, const QString &name)
{
    const int count = EntryCount(ini, section);
    for (int i = 1; i <= count; ++i)
        if (ini.ReadString(section, QStringLiteral("name%1").arg(i), QStringLiteral("-")) == name)
            return i;
    if (count >= kMaxEntries)
        return -1;
    ini.WriteInteger(section, QStringLiteral("count"), count + 1);
    return count + 1;
}

} // namespace ColorCodes
