#pragma once

#include "session/benchtypes.h"

#include <QList>
#include <QString>

class IniFile;

// Longest type name kept.
constexpr int kTypeNameMax = 50;
// Most types read from a file; a larger count is taken as damage.
constexpr int kTypeCountMax = 1000;

// A type name as it may be stored: line breaks and other control characters
// become blanks (an INI value is one line), blanks around it are dropped, and
// it is cut to kTypeNameMax characters.
QString StorableTypeName(const QString &name);

// The flowmeter type list and the module addresses of "QTM.ini".
struct TypeListData {
    int Imr = 0;
    int Usi = 0;
    int IPT = 0;
    QList<TPribor> Prib;
};

// Reads the addresses and the list; a missing numbered key gives "Unknow" and 0,
// an address outside 0..247 gives 0 (not present).
TypeListData ReadTypeList(const IniFile &ini);
// Writes the addresses and the list; keys numbered past the list stay as they are.
void WriteTypeList(IniFile &ini, int imr, int usi, int ipt, const QList<TPribor> &list);
