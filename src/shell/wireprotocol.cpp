#include "auxiliary/protocolpage.h"
#include "auxiliary/tparatfrm.h"
#include "shell/tmainfrm.h"
#include "shell/verificationcontrol.h"

void TMainFrm::WireProtocol()
{
    m_verification =
        new VerificationControl(*this, qobject_cast<ProtocolPage *>(Page(QStringLiteral("TS4"))));
    m_verification->AttachParameters(Windows.ParATFrm);
}
