#pragma once

class QDialogButtonBox;

// The standard buttons of a box read as the program's own: "Да", "Отмена",
// "Применить" (Qt's translation keeps "OK" in Latin letters).
void UseProgramButtonTexts(QDialogButtonBox *box);

class QPushButton;

// A caption that fills its button to the edges reads as cut: leave it a margin.
void LeaveCaptionRoom(QPushButton *button);
