#pragma once

// A Modbus exception code (1..8) as a result code (4, 11, 5, 6, 7, 8, 9, 10); 14 for others.
int ExceptionResult(int exceptionCode);
