#include "shell/tmainfrm.h"

#include "auxiliary/protocolpage.h"
#include "auxiliary/tparatfrm.h"

// The page "Протокол" opens the auto-test parameter window and the static window.
void TMainFrm::WireAbout()
{
    auto *protocol = new ProtocolPage;
    protocol->form11 = [this]() -> QWidget * { return Windows.Form11; };
    protocol->parATFrm = [this]() -> QWidget * { return Windows.ParATFrm; };
    SetPage(QStringLiteral("TS4"), protocol);
}
