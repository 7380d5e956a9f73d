#include "link/dialogbuttons.h"

#include <QDialogButtonBox>
#include <QPushButton>

void UseProgramButtonTexts(QDialogButtonBox *box)
{
    const struct {
        QDialogButtonBox::StandardButton which;
        const char16_t *text;
    } texts[] = {{QDialogButtonBox::Ok, u"Да"},
                 {QDialogButtonBox::Cancel, u"Отмена"},
                 {QDialogButtonBox::Apply, u"Применить"}};
    for (const auto &t : texts)
        if (QPushButton *b = box->button(t.which))
            b->setText(QString::fromUtf16(t.text));
}

void LeaveCaptionRoom(QPushButton *button)
{
    const int margin = 2 * button->fontMetrics().averageCharWidth();
    button->setMinimumWidth(button->sizeHint().width() + margin);
}
