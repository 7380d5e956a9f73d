#include "shell/appearance.h"
#include "shell/tmainfrm.h"

void TMainFrm::WireAppearance()
{
    m_appearance = new Appearance(*this, [this](const QString &name) { return FindByName(this, name); });
    // Moving over the bare window makes the window itself the target.
    if (QWidget *c = centralWidget()) {
        c->setMouseTracking(true);
        c->installEventFilter(this);
    }
}
