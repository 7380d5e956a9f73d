#include "shell/tfontdlg.h"
#include "ui_tfontdlg.h"

#include "link/dialogbuttons.h"

#include <QColorDialog>
#include <QPushButton>

TFontDlg::TFontDlg(QWidget *parent) : QDialog(parent), ui(new Ui::TFontDlg)
{
    ui->setupUi(this);
    UseProgramButtonTexts(ui->buttons);
    connect(ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->btnColor, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(m_color, this);
        if (c.isValid()) {
            m_color = c;
            ShowSample();
        }
    });
    connect(ui->cbFace, &QFontComboBox::currentFontChanged, this, &TFontDlg::ShowSample);
    connect(ui->seSize, &QSpinBox::valueChanged, this, &TFontDlg::ShowSample);
    for (QCheckBox *c : {ui->chbBold, ui->chbItalic, ui->chbStrike, ui->chbUnderline})
        connect(c, &QCheckBox::toggled, this, &TFontDlg::ShowSample);
}

TFontDlg::~TFontDlg() = default;

void TFontDlg::SetChoice(const QFont &font, const QColor &color)
{
    m_color = color;
    ui->cbFace->setCurrentFont(font);
    ui->seSize->setValue(qMax(1, font.pointSize()));
    ui->chbBold->setChecked(font.bold());
    ui->chbItalic->setChecked(font.italic());
    ui->chbStrike->setChecked(font.strikeOut());
    ui->chbUnderline->setChecked(font.underline());
    ShowSample();
}

QFont TFontDlg::ChosenFont() const
{
    QFont f = ui->cbFace->currentFont();
    f.setPointSize(ui->seSize->value());
    f.setBold(ui->chbBold->isChecked());
    f.setItalic(ui->chbItalic->isChecked());
    f.setStrikeOut(ui->chbStrike->isChecked());
    f.setUnderline(ui->chbUnderline->isChecked());
    return f;
}

void TFontDlg::ShowSample()
{
    ui->lblSample->setFont(ChosenFont());
    QPalette p = ui->lblSample->palette();
    p.setColor(QPalette::WindowText, m_color);
    ui->lblSample->setPalette(p);
}
