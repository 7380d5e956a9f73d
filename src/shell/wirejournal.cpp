#include "shell/tmainfrm.h"
#include "ui_tmainfrm.h"

#include "journal/tjournalfrm.h"
#include "shell/accessibility.h"

// The journal of verification runs, opened from the menu.
void TMainFrm::WireJournal()
{
    connect(ui->NJournal, &QAction::triggered, this, [this] {
        if (!Windows.JournalFrm) {
            Windows.JournalFrm = new TJournalFrm(this);
            AssignAccessibleNames(Windows.JournalFrm);
        }
        QWidget *w = Windows.JournalFrm;
        w->show();
        w->raise();
        w->activateWindow();
    });
}
