#pragma once

class QDialogButtonBox;

// The standard buttons of a box read as the program's own: "Да", "Отмена",
// "Применить" (Qt's translation keeps "OK" in Latin letters).
void UseProgramButtonTexts(QDialogButtonBox *box);
