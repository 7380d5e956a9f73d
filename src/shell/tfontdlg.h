#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

#include <memory>

namespace Ui
{
class TFontDlg;
}

// The font dialog of the colour menu: scalable faces, size, effects and colour. Its
// "Apply" button does nothing, as operators know it from the old program.
class TFontDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TFontDlg(QWidget *parent = nullptr);
    ~TFontDlg() override;

    void SetChoice(const QFont &font, const QColor &color);
    QFont ChosenFont() const;
    QColor ChosenColor() const { return m_color; }

private:
    void ShowSample();

    std::unique_ptr<Ui::TFontDlg> ui;
    QColor m_color;
};
