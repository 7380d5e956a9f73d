#include "imr/verifypoint.h"

#include "imr/imitflow.h"
#include "link/conventions.h"

#include <cmath>

VerifyPointResult ComputeVerifyPoint(int q, double delayStep)
{
    VerifyPointResult r;
    // The module's arithmetic is single precision; so is the comparison with the limit.
    r.p = float(kVerifyPointDivisor * double(q) / (kFlowPerPulse * delayStep));
    if (std::isnan(r.p) || r.p > float(kVerifyPointDivisor))
        r.n = kVerifyPointDivisor;
    else if (r.p < 0)
        r.n = 0;
    else
        r.n = int(qMin<qint64>(RoundHalfEven(double(r.p) + 0.5), kVerifyPointDivisor));
    r.ImitQ = r.n * 491.3328 * delayStep / kVerifyPointDivisor / 1000;
    return r;
}
