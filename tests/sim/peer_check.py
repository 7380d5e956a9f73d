#!/usr/bin/python3
"""Walks the simulated bench with pymodbus, an independent Modbus client.

Usage: peer_check.py tcp HOST PORT FLOW_PORT | peer_check.py rtu DEVICE BAUD FLOW_PORT
Prints OK and exits 0 when every frame was understood and every figure fits.
"""
import struct
import sys
import time

from pymodbus.client import ModbusSerialClient, ModbusTcpClient
from pymodbus.other_message import ReportSlaveIdRequest


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def regs(resp, what):
    if resp.isError():
        fail(f"{what}: {resp}")
    return resp.registers


def u32(r, i):
    return (r[i] << 16) | r[i + 1]


def f32(r, i):
    return struct.unpack(">f", struct.pack(">HH", r[i], r[i + 1]))[0]


def delay_from_sums(s, fosc, t0, t1):
    m, tosc, dac = 10.0, 1000.0 / (fosc / 1e8), (t1 - t0) / 255.0
    ch = []
    for c in (0, 1):
        p = s[5 * c:5 * c + 5]
        ch.append(dict(a=p[0] / (8 * m), x=p[1] / m, sx=(p[2] - p[1] ** 2 / m) / (m - 1),
                       y=p[3] / m, sy=(p[4] - p[3] ** 2 / m) / (m - 1)))
    c0, c1 = ch
    d0 = (c0["a"] + 1) * tosc - c0["y"] * dac
    fine = c0["x"] * dac if c0["sx"] < 5 else 0.0
    d0 = d0 - (tosc - fine) if fine >= tosc / 2 else d0 + fine
    d1 = (c1["a"] + 0.5) * tosc - c1["y"] * dac - (tosc / 2 - c1["x"] * dac)
    return d1 if abs(c1["y"] - 128) <= abs(c0["y"] - 128) else d0


def main():
    mode = sys.argv[1]
    if mode == "tcp":
        bench = ModbusTcpClient(sys.argv[2], port=int(sys.argv[3]), timeout=1)
        flow_host = sys.argv[2]
    else:
        bench = ModbusSerialClient(sys.argv[2], baudrate=int(sys.argv[3]), timeout=1)
        flow_host = "127.0.0.1"
    meter = ModbusTcpClient(flow_host, port=int(sys.argv[4]), timeout=1)
    if not bench.connect() or not meter.connect():
        fail("no connection")

    markers = {1: "ЦТМ-ИМР", 2: "ЦТМ-УСИ", 3: "ЦТМ-ИПТ"}
    for unit, marker in markers.items():
        req = ReportSlaveIdRequest()
        req.unit_id = unit
        resp = bench.execute(req)
        if resp.isError() or marker.encode("cp1251") not in resp.identifier:
            fail(f"identification of {unit}: {resp}")

    silent = bench.read_holding_registers(0, 3, slave=9)
    if not silent.isError():
        fail("address 9 answered")

    bad = bench.read_input_registers(1000, 1, slave=1)
    if not bad.isError() or getattr(bad, "exception_code", 0) != 2:
        fail(f"no illegal-address exception: {bad}")

    # Calibration: single-register writes (0x06), 32-bit input and holding reads.
    if bench.write_register(16385, 10, slave=1).isError() or bench.write_register(3, 3, slave=1).isError():
        fail("calibration command")
    time.sleep(0.03)
    state = regs(bench.read_input_registers(1, 3, slave=1), "state")
    if state != [0, 0, 8]:
        fail(f"calibration state {state}")
    r = regs(bench.read_input_registers(32772, 20, slave=1), "sums")
    sums = [u32(r, 2 * i) for i in range(10)]
    fosc = u32(regs(bench.read_holding_registers(32774, 2, slave=1), "fosc"), 0)
    t = regs(bench.read_holding_registers(49152, 4, slave=1), "times")
    delay = delay_from_sums(sums, fosc, f32(t, 0), f32(t, 2))
    if abs(delay - 600) > 6:
        fail(f"delay {delay}")

    # Imitation: coil write (0x05), multiple-register write (0x10), coil read (0x01).
    if bench.write_coil(2, True, slave=1).isError():
        fail("emulation bit")
    if not regs_bits(bench.read_coils(1, 2, slave=1))[1]:
        fail("emulation bit not read back")
    if bench.write_registers(32772, [0, 0], slave=1).isError():
        fail("length")
    if bench.write_registers(16386, [217], slave=1).isError() or bench.write_register(3, 1, slave=1).isError():
        fail("start")
    for _ in range(50):
        state = regs(bench.read_input_registers(1, 3, slave=1), "state")
        if state[0] != 1:
            break
    if state != [0 + 2, 0, 2]:
        fail(f"imitation state {state}")
    time.sleep(0.3)
    q = f32(regs(meter.read_holding_registers(0, 2, slave=1), "flow"), 0)
    expected = 218 / 256 * 0.4913328 * delay
    if abs(q - expected) > expected * 0.005:
        fail(f"flow {q} vs {expected}")
    current = f32(regs(bench.read_input_registers(0xC000, 8, slave=3), "currents"), 0)
    if abs(current - (4 + 16 * q / 300)) > 0.02:
        fail(f"current {current}")
    clock = u32(regs(bench.read_input_registers(32770, 2, slave=1), "clock"), 0)
    if clock < 250:
        fail(f"imitation clock {clock}")
    bench.write_register(3, 2, slave=1)
    bench.close()
    meter.close()
    print("OK")


def regs_bits(resp):
    if resp.isError():
        fail(f"coils: {resp}")
    return resp.bits


if __name__ == "__main__":
    main()
