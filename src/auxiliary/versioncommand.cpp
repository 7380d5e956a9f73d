#include "auxiliary/versioncommand.h"

#include "auxiliary/verinfo.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int RunVersionCommand(int argc, char *argv[])
{
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || std::strcmp(argv[i], "--version") == 0;
    if (!asked)
        return -1;
    QCoreApplication app(argc, argv); // no display needed
    try {
        const TVerInfoRes info(QCoreApplication::applicationFilePath());
        std::printf("qtm-monitor %s\n", qPrintable(info.GetPreDefKeyString(viProductVersion)));
        return 0;
    } catch (const EVerInfoBase &e) {
        std::fprintf(stderr, "qtm-monitor: %s\n", qPrintable(e.Message));
        return 1;
    }
}
