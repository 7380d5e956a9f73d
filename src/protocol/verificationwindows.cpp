#include "protocol/verificationwindows.h"
#include "ui_tform18.h"
#include "ui_tform3.h"

#include "link/conventions.h"
#include "link/dialogbuttons.h"
#include "link/messages.h"

#include <QAreaSeries>
#include <QChart>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <cmath>

TForm3::TForm3(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm3>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm3::StopClicked);
    auto *chart = new QChart;
    m_x = new QValueAxis(chart);
    m_y = new QValueAxis(chart);
    m_x->setTitleText(QStringLiteral("Показание"));
    m_x->setLabelFormat(QStringLiteral("%d"));
    // A tick on every reading number, not on the half-way edges of the range.
    m_x->setTickType(QValueAxis::TicksDynamic);
    m_x->setTickAnchor(1);
    m_x->setTickInterval(1);
    m_y->setTitleText(QStringLiteral("Погрешность, %"));
    chart->addAxis(m_x, Qt::AlignBottom);
    chart->addAxis(m_y, Qt::AlignLeft);
    chart->legend()->setAlignment(Qt::AlignRight);
    ui->Chart->setChart(chart);
    ui->Chart->setRenderHint(QPainter::Antialiasing);
    ClearPlot();
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

void TForm3::ClearPlot()
{
    ui->Chart->chart()->removeAllSeries();
    m_plotted.clear();
    m_groups.clear();
    m_next = 1;
    m_span = 1;
    FitAxes();
}

TForm3::Plotted &TForm3::PlotFor(const Verification::Check &check)
{
    const QString title = check.Title();
    auto it = m_plotted.find(title);
    if (it != m_plotted.end())
        return *it;
    QChart *chart = ui->Chart->chart();
    // The flow rate and the current of one point share its reading numbers, as do the
    // volume and the pulses of the volume run.
    const bool volumeRun =
        check.quantity == Verification::Quantity::Volume || check.quantity == Verification::Quantity::Pulses;
    const QString group = volumeRun ? QStringLiteral("V") : QString::number(check.point);
    if (!m_groups.contains(group))
        m_groups.insert(group, m_next);
    Plotted p;
    p.first = m_groups.value(group);
    p.shift =
        check.quantity == Verification::Quantity::Flow || check.quantity == Verification::Quantity::Volume
            ? -0.12
            : 0.12;
    p.upper = new QLineSeries;
    p.lower = new QLineSeries;
    p.band = new QAreaSeries(p.upper, p.lower);
    // The band's edges go with the band when a new run clears the plot.
    p.upper->setParent(p.band);
    p.lower->setParent(p.band);
    p.errors = new QScatterSeries(chart);
    p.errors->setName(title);
    p.errors->setMarkerSize(9);
    chart->addSeries(p.band);
    chart->addSeries(p.errors);
    // The band takes a paler shade of its check's colour.
    QColor shade = p.errors->color();
    shade.setAlpha(50);
    p.band->setBrush(shade);
    p.band->setPen(QPen(shade.darker(), 1, Qt::DashLine));
    for (QAbstractSeries *series :
         {static_cast<QAbstractSeries *>(p.band), static_cast<QAbstractSeries *>(p.errors)}) {
        series->attachAxis(m_x);
        series->attachAxis(m_y);
    }
    for (QLegendMarker *marker : chart->legend()->markers(p.band))
        marker->setVisible(false);
    return *m_plotted.insert(title, p);
}

void TForm3::ShowCheck(const Verification::Check &check)
{
    Plotted &p = PlotFor(check);
    QList<QPointF> errors;
    for (int i = 0; i < check.readings.size(); ++i) {
        const double e = Verification::RoundError(check.readings[i].error);
        if (std::isfinite(e)) {
            errors << QPointF(p.first + i + p.shift, e);
            m_span = qMax(m_span, std::fabs(e));
        }
    }
    p.errors->replace(errors);
    const double from = p.first - 0.4;
    const double to = p.first + qMax<qsizetype>(check.readings.size(), 1) - 0.6;
    p.upper->replace({QPointF(from, check.limit), QPointF(to, check.limit)});
    p.lower->replace({QPointF(from, -check.limit), QPointF(to, -check.limit)});
    m_span = qMax(m_span, check.limit);
    m_next = qMax(m_next, int(p.first + check.readings.size()));
    FitAxes();
}

void TForm3::FitAxes()
{
    m_x->setRange(0.5, qMax(m_next, 2) - 0.5);
    m_y->setRange(-m_span * 1.2, m_span * 1.2);
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
