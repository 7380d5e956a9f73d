#!/usr/bin/python3
"""Independent Modbus peer for the client's integration tests (pymodbus 3.0).

Units: 1 answers normally (UTF-8 identification), 4 answers with a Windows-1251
identification, 5 answers register reads with half the registers asked for,
9 answers RTU requests with a wrong CRC, 11..18 answer every
request with exception code unit-10, and every other unit stays silent. Input registers from 10 hold fixed values whose
word order the tests check. With --tcp the bound port is printed as "PORT n".
"""
import argparse
import asyncio
import struct
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.pdu import ExceptionResponse
from pymodbus.server.async_io import ModbusSerialServer, ModbusTcpServer
from pymodbus.transaction import ModbusRtuFramer, ModbusSocketFramer
from pymodbus.utilities import computeCRC

RTU = False


def words(fmt, value):
    raw = struct.pack(">" + fmt, value)
    return list(struct.unpack(">%dH" % (len(raw) // 2), raw))


def input_image():
    regs = [0] * 200
    fixed = (words("i", -2)                   # 10: int32
             + words("f", 1.5)                # 12: float
             + words("d", -2.5)               # 14: double
             + words("I", 0x12345678)         # 18: uint32
             + [0xFF85, 0x8000])              # 20: int16/int8/uint8, 21: uint16
    regs[10:10 + len(fixed)] = fixed
    return regs


def unit(ident):
    ctx = ModbusSlaveContext(
        di=ModbusSequentialDataBlock(0, [0] * 200),
        co=ModbusSequentialDataBlock(0, [0] * 200),
        hr=ModbusSequentialDataBlock(0, [0] * 200),
        ir=ModbusSequentialDataBlock(0, input_image()),
        zero_mode=True)
    ctx.reportSlaveIdData = ident
    return ctx


def manipulate(response):
    unit_id = getattr(response, "unit_id", 0)
    if unit_id == 9 and RTU:
        frame = struct.pack(">BB", unit_id, response.function_code) + response.encode()
        return frame + struct.pack(">H", computeCRC(frame) ^ 0xFFFF), True
    if unit_id == 5 and hasattr(response, "registers"):
        response.registers = response.registers[: len(response.registers) // 2]
    code = unit_id - 10
    if 1 <= code <= 8:
        exc = ExceptionResponse(response.function_code & 0x7F, code)
        exc.transaction_id = response.transaction_id
        exc.unit_id = response.unit_id
        return exc, False
    return response, False


async def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tcp", action="store_true")
    ap.add_argument("--rtu")
    ap.add_argument("--baud", type=int, default=19200)
    args = ap.parse_args()
    global RTU
    RTU = bool(args.rtu)

    slaves = {1: unit("Модуль ИМР v1.2".encode("utf-8")),
              4: unit("Счетчик УСИ".encode("cp1251")),
              5: unit(b"SHORT"),
              9: unit(b"CRC")}
    for u in range(11, 19):
        slaves[u] = unit(b"X")
    context = ModbusServerContext(slaves=slaves, single=False)
    opts = dict(ignore_missing_slaves=True, broadcast_enable=True,
                response_manipulator=manipulate)
    if args.tcp:
        server = ModbusTcpServer(context, framer=ModbusSocketFramer,
                                 address=("127.0.0.1", 0), **opts)
        task = asyncio.create_task(server.serve_forever())
        await server.serving
        print("PORT %d" % server.server.sockets[0].getsockname()[1], flush=True)
        await task
    else:
        server = ModbusSerialServer(context, framer=ModbusRtuFramer, port=args.rtu,
                                    baudrate=args.baud, **opts)
        await server.start()
        print("READY", flush=True)
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
