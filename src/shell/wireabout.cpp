#include "shell/tmainfrm.h"

#include "auxiliary/protocolpage.h"
#include "auxiliary/tform11.h"
#include "auxiliary/tparatfrm.h"

void TMainFrm::WireAbout()
{
    auto *protocol = new ProtocolPage;
    // The windows are made at start-up; a window built without them makes them on first use.
    protocol->form11 = [this]() -> QWidget * {
        if (!Windows.Form11)
            Windows.Form11 = new TForm11(this);
        return Windows.Form11;
    };
    protocol->parATFrm = [this]() -> QWidget * {
        if (!Windows.ParATFrm)
            Windows.ParATFrm = new TParATFrm(this);
        return Windows.ParATFrm;
    };
    SetPage(QStringLiteral("TS4"), protocol);
}
