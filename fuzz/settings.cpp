// The settings reader: any bytes as "QTM.ini" or "color.ini".
#include "fuzzcheck.h"
#include "link/inifile.h"

#include <QByteArray>
#include <QLocale>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniFile ini = IniFile::FromData(bytes);

    // What the program reads at start-up.
    QLocale::setDefault(QLocale(QLocale::Russian));
    for (const char *section : {"QTM", "PRIBOR", "QTM Address", "Form", "List"}) {
        const QString s = QString::fromLatin1(section);
        (void)ini.ReadString(s, QStringLiteral("Comm Port"), QStringLiteral("COM1"));
        (void)ini.ReadInteger(s, QStringLiteral("Baud Rate"), 19200);
        (void)ini.ReadFloat(s, QStringLiteral("K"), 1.0);
        (void)ini.ReadBool(s, QStringLiteral("On"));
    }
    const int count = qBound(0, ini.ReadInteger(QStringLiteral("List"), QStringLiteral("count")), 64);
    for (int i = 1; i <= count; ++i)
        (void)ini.ReadString(QStringLiteral("List"), QStringLiteral("Name%1").arg(i),
                             QStringLiteral("Unknow"));
    for (const QString &s : ini.Sections())
        for (const QString &k : ini.Keys(s))
            FUZZ_CHECK(ini.ValueExists(s, k));

    // Writing back is stable: a second round changes nothing.
    const QByteArray first = ini.Data();
    FUZZ_CHECK(IniFile::FromData(first).Data() == first);

    // A key written reads back, and lines the program does not own survive.
    const QString value = QString::fromUtf8(bytes.left(24));
    ini.WriteString(QStringLiteral("PRIBOR"), QStringLiteral("Comm Port"), value);
    ini.WriteInteger(QStringLiteral("QTM"), QStringLiteral("Receive Delay"), 500);
    ini.DeleteKey(QStringLiteral("Form"), QStringLiteral("left"));
    IniFile back = IniFile::FromData(ini.Data());
    QString flat = value.trimmed();
    flat.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar(' '));
    FUZZ_CHECK(back.ReadString(QStringLiteral("Pribor"), QStringLiteral("comm port")) == flat.trimmed());
    FUZZ_CHECK(back.ReadInteger(QStringLiteral("qtm"), QStringLiteral("RECEIVE DELAY")) == 500);
    FUZZ_CHECK(!back.ValueExists(QStringLiteral("Form"), QStringLiteral("Left")));
    back.EraseSection(QStringLiteral("List"));
    FUZZ_CHECK(!back.SectionExists(QStringLiteral("list")));
    return 0;
}
