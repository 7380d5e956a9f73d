#pragma once

#include <QString>

// Texts of the ИМР automaton's state, error and last-command codes.
QString ImrStateText(int state);
QString ImrErrorText(int error);
QString ImrLastCmdText(int lastCmd);

// The three lines of the status label, separated by "\r".
QString ImrStatusText(int state, int error, int lastCmd);
