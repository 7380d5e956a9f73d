#include "shell/startupwindows.h"

#include "auxiliary/tform11.h"
#include "auxiliary/tparatfrm.h"
#include "bench/tfrminit.h"
#include "bench/tpropertyfrm.h"
#include "bench/tsysfrm.h"
#include "imr/timvofrm.h"
#include "link/canalfrm.h"
#include "shell/accessibility.h"
#include "shell/tmainfrm.h"

void CreateProgramWindows(TMainFrm &main)
{
    ProgramWindows &w = main.Windows;
    w.SysFrm = new TSysFrm(&main);
    QObject::connect(w.SysFrm, &TSysFrm::TaskChosen, &main, &TMainFrm::ApplyPageSet);
    w.CanalFrm = new TCanalFrm(&main);
    w.ImVOFrm = new TImVOFrm(&main);
    w.ParATFrm = new TParATFrm(&main);
    w.Form11 = new TForm11(&main);
    w.PropertyFrm = new TPropertyFrm(&main);
    w.FrmInit = new TFrmInit(&main);
    // The windows made after the main window's set-up follow the same rules.
    AssignAccessibleNames(&main);
}
