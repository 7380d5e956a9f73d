// Writes the program's icon in the hicolor sizes: icongen <folder> <size>...
#include "auxiliary/emblem.h"

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: icongen <folder> <size>...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString file = QStringLiteral("%1/qtm-monitor-%2.png").arg(folder).arg(size);
        if (size <= 0 || !RenderEmblem(size).save(file)) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
