#include "protocol/verificationwindows.h"
#include "ui_tform18.h"
#include "ui_tform3.h"

#include "link/conventions.h"
#include "link/dialogbuttons.h"
#include "link/messages.h"

#include <QCloseEvent>
#include <QKeyEvent>

TForm3::TForm3(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm3>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm3::StopClicked);
}

TForm3::~TForm3() = default;

void TForm3::SetStep(const QString &text)
{
    ui->Label1->setText(text);
}

void TForm3::SetProgress(int percent)
{
    ui->ProgressBar1->setValue(percent);
}

void TForm3::closeEvent(QCloseEvent *event)
{
    // Closing from the system menu means stopping the run, not leaving it unwatched.
    Q_EMIT StopClicked();
    event->ignore();
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT StopClicked();
        return;
    }
    QDialog::keyPressEvent(event);
}

TForm18::TForm18(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm18>())
{
    ui->setupUi(this);
    UseProgramButtonTexts(ui->Buttons);
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &TForm18::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TForm18::~TForm18() = default;

void TForm18::SetPoints(const QList<double> &points)
{
    m_points = points;
    QLineEdit *edits[] = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4};
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(Fmt3(points.value(i)));
}

void TForm18::accept()
{
    QList<double> points;
    for (QLineEdit *e : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4}) {
        double q = 0;
        if (!Messages::ToDouble(e->text(), &q))
            return;
        if (q < 0 || q > 10000) {
            Messages::Show(QStringLiteral("Поверочная точка должна быть от 0 до 10000 м3/ч"));
            return;
        }
        points << q;
    }
    m_points = points;
    QDialog::accept();
}
