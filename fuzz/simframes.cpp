// The simulated bench's frame and request handling: any byte stream as RTU frames
// or as Modbus TCP (MBAP) frames, on the bench line and on the flowmeter line.
#include "fuzzcheck.h"
#include "sim/lib/modbusline.h"
#include "sim/lib/modbuspdu.h"
#include "sim/lib/rtuendpoint.h"
#include "sim/lib/simbench.h"
#include "sim/lib/simclock.h"
#include "sim/lib/tcpendpoint.h"

namespace
{

class StepClock : public SimClock
{
public:
    double NowMs() const override { return now; }
    double now = 0;
};

// What any Modbus server's reply must look like.
void CheckReply(const QByteArray &request, const LineReply &reply)
{
    if (reply.silent)
        return;
    const quint8 fn = quint8(request[0]);
    FUZZ_CHECK(!reply.pdu.isEmpty() && reply.pdu.size() <= 253);
    const quint8 answered = quint8(reply.pdu[0]);
    FUZZ_CHECK((answered & 0x7F) == (fn & 0x7F));
    if (answered & 0x80) {
        FUZZ_CHECK(reply.pdu.size() == 2 && quint8(reply.pdu[1]) >= 1 && quint8(reply.pdu[1]) <= 4);
        return;
    }
    if ((fn == 0x03 || fn == 0x04) && request.size() == 5) {
        const int count = (quint8(request[3]) << 8) | quint8(request[4]);
        FUZZ_CHECK(reply.pdu.size() == 2 + 2 * count && quint8(reply.pdu[1]) == 2 * count);
    }
    if (fn == 0x01 && request.size() == 5) {
        const int count = (quint8(request[3]) << 8) | quint8(request[4]);
        FUZZ_CHECK(reply.pdu.size() == 2 + (count + 7) / 8);
    }
}

void Run(SimBench &bench, StepClock &clock, quint8 unit, const QByteArray &pdu, bool flowLine)
{
    clock.now += 7.5; // requests a few ms apart, so the modules' own changes happen too
    ModbusLine &line = flowLine ? bench.FlowmeterLine() : bench.BenchLine();
    const LineReply reply = line.Execute(unit, pdu);
    if (!pdu.isEmpty())
        CheckReply(pdu, reply);
    FUZZ_CHECK(unit != 0 || reply.silent); // a broadcast is never answered
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const quint8 mode = data[0];
    SimOptions options;
    options.exact = true;
    options.model = mode % 7;
    options.delayNs = 1 + data[1] * 97;
    StepClock clock;
    SimBench bench(options, &clock);
    const bool flowLine = mode & 0x08;
    QByteArray stream(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    if (mode & 0x10) {
        // Modbus TCP: the session's own framing; a bad header ends the connection.
        for (;;) {
            const int len = TcpSession::FrameLength(stream);
            if (len <= 0)
                break;
            FUZZ_CHECK(len >= 8 && len <= stream.size());
            Run(bench, clock, quint8(stream[6]), stream.mid(7, len - 7), flowLine);
            stream.remove(0, len);
        }
        return 0;
    }
    // RTU: frames end by their length or, for the rest, by the silence after them.
    // With bit 5 set the CRC is taken as right, so the fuzzer reaches the devices.
    const bool trustCrc = mode & 0x20;
    while (stream.size() >= 4) {
        int len = RtuEndpoint::RequestFrameLength(stream);
        if (len == 0 || len > stream.size())
            len = int(stream.size());
        const QByteArray frame = stream.left(len);
        stream.remove(0, len);
        if (!trustCrc && ModbusCrc(frame) != 0)
            continue;
        Run(bench, clock, quint8(frame[0]), frame.mid(1, frame.size() - 3), flowLine);
    }
    return 0;
}
