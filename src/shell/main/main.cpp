#include "shell/accessibility.h"
#include "shell/clientfactory.h"
#include "shell/demomode.h"
#include "shell/identity.h"
#include "shell/tmainfrm.h"
#include "shell/signalcloser.h"
#include "shell/translation.h"

#include "auxiliary/versioncommand.h"
#include "link/messages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const int code = RunVersionCommand(argc, argv); code >= 0)
        return code;
    QApplication app(argc, argv);
    SetProgramIdentity();
    LoadQtTranslation(&app);
    InstallAccessibleInterfaces();

    const bool demo = QApplication::arguments().contains(QStringLiteral("--demo"));
    QString demoError;
    bool demoStarted = false;
    if (demo) {
        UseDemoSettingsFolder();
        demoStarted = StartDemoBench(&app, &demoError);
    }

    TMainFrm main(CreateClient(), CreateClient());
    new SignalCloser(&main);
    QObject::connect(&main, &TMainFrm::FormClosed, &app, &QApplication::quit);
    main.show();
    if (demo && !demoStarted)
        Messages::Show(demoError);
    return app.exec();
}
