#pragma once

class QLineEdit;

// Key filters for edit fields: printable keys pass through edtInt/edtFloat
// (a replaced separator is typed as the locale's one, discarded keys are
// swallowed); control keys and shortcuts are left alone.
void InstallIntFilter(QLineEdit *edit);
void InstallFloatFilter(QLineEdit *edit);
