#include "flowmeter/flowmetermodels.h"

namespace
{
constexpr FlowmeterModelRow kRows[kFlowmeterModelCount] = {
    {-1, 0, 2, 0, 1, "256", 256, true},                          // ЛКТВ-210Н
    {112, 127, 170, 1, 1, "???", 0, true},                       // Тевор ДН (портативный)
    {0, -1, -1, kPribTypeGs130, 10, "???", 256, false},          // ГС 130/150: registers follow the channel
    {0, 127, 170, 3, 1, "???", 256, true},                       // Тевор ДН (переносной)
    {-1, 0, 2, 0, 1, "256", 256, true},                          // ЛТКВ 210Н с АРУ
    {-1, 0, 2, 0, 1, "256", 256, true},                          // ГС310
    {0x4060, 0xC1B8, 0xC1C0, kPribTypeGc, 1, "???", 256, false}, // GC, channel 1
};
} // namespace

const FlowmeterModelRow *FlowmeterModel(int index)
{
    return index >= 0 && index < kFlowmeterModelCount ? &kRows[index] : nullptr;
}
