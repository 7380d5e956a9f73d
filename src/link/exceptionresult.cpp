#include "link/exceptionresult.h"

int ExceptionResult(int exceptionCode)
{
    static const int map[] = {4, 11, 5, 6, 7, 8, 9, 10};
    if (exceptionCode >= 1 && exceptionCode <= 8)
        return map[exceptionCode - 1];
    return 14;
}
