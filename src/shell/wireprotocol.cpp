#include "auxiliary/protocolpage.h"
#include "auxiliary/tparatfrm.h"
#include "shell/tmainfrm.h"
#include "shell/verificationcontrol.h"

void TMainFrm::WireProtocol()
{
    m_verification =
        new VerificationControl(*this, qobject_cast<ProtocolPage *>(Page(QStringLiteral("TS4"))));
    if (auto *page = qobject_cast<ProtocolPage *>(Page(QStringLiteral("TS4")))) {
        // The parameter window is made on first use; its values come from the settings.
        const auto previous = page->parATFrm;
        page->parATFrm = [this, previous]() -> QWidget * {
            QWidget *w = previous ? previous() : nullptr;
            if (auto *par = qobject_cast<TParATFrm *>(w); par && !m_parametersAttached) {
                m_verification->AttachParameters(par);
                m_parametersAttached = true;
            }
            return w;
        };
    }
}
