#pragma once

// The program's names: "qtm-monitor" (ASCII) names its folders and desktop entry,
// "Монитор ЦТМ-01" is the title the operator sees on its message boxes.
void SetProgramIdentity();
