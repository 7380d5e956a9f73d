#include "bench/typelist.h"

#include "link/inifile.h"

namespace
{

const QString kAddr = QStringLiteral("QTM Address");
const QString kList = QStringLiteral("List");

int Address(const IniFile &ini, const QString &key)
{
    const int v = ini.ReadInteger(kAddr, key, 0);
    return v >= 0 && v <= 247 ? v : 0;
}

} // namespace

QString StorableTypeName(const QString &name)
{
    QString flat;
    flat.reserve(name.size());
    for (const QChar c : name)
        flat.append(c.category() == QChar::Other_Control ? QChar(' ') : c);
    flat = flat.trimmed();
    if (flat.size() > kTypeNameMax) {
        int cut = kTypeNameMax;
        if (flat.at(cut - 1).isHighSurrogate())
            --cut; // never keep half a character
        flat.truncate(cut);
        flat = flat.trimmed();
    }
    return flat;
}

TypeListData ReadTypeList(const IniFile &ini)
{
    TypeListData d;
    d.Imr = Address(ini, QStringLiteral("IMR"));
    d.Usi = Address(ini, QStringLiteral("USI"));
    d.IPT = Address(ini, QStringLiteral("IPT"));
    const int n = qBound(0, ini.ReadInteger(kList, QStringLiteral("count"), 0), kTypeCountMax);
    d.Prib.reserve(n);
    for (int i = 1; i <= n; ++i) {
        const QString num = QString::number(i);
        TPribor p;
        p.Name =
            StorableTypeName(ini.ReadString(kList, QStringLiteral("Name") + num, QStringLiteral("Unknow")));
        p.RegAc = ini.ReadInteger(kList, QStringLiteral("RegAC") + num, 0);
        p.RegQ = ini.ReadInteger(kList, QStringLiteral("RegQ") + num, 0);
        p.RegV = ini.ReadInteger(kList, QStringLiteral("RegV") + num, 0);
        d.Prib << p;
    }
    return d;
}

void WriteTypeList(IniFile &ini, int imr, int usi, int ipt, const QList<TPribor> &list)
{
    ini.WriteInteger(kAddr, QStringLiteral("IMR"), imr);
    ini.WriteInteger(kAddr, QStringLiteral("IPT"), ipt);
    ini.WriteInteger(kAddr, QStringLiteral("USI"), usi);
    ini.WriteInteger(kList, QStringLiteral("Count"), int(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        const QString num = QString::number(i + 1);
        const TPribor &p = list.at(i);
        ini.WriteString(kList, QStringLiteral("Name") + num, StorableTypeName(p.Name));
        ini.WriteInteger(kList, QStringLiteral("RegAC") + num, p.RegAc);
        ini.WriteInteger(kList, QStringLiteral("RegQ") + num, p.RegQ);
        ini.WriteInteger(kList, QStringLiteral("RegV") + num, p.RegV);
    }
}
