#pragma once

#include "record/verification.h"

#include <QDialog>
#include <QHash>
#include <QList>

#include <memory>

class QAreaSeries;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace Ui
{
class TForm3;
class TForm18;
} // namespace Ui

// "Автоматическая поверка": the step in words, the progress, a plot of every reading's
// error with the permissible band of its check, and "Стоп". It has no close button: a
// run ends by "Стоп" or by itself.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

public Q_SLOTS:
    void SetStep(const QString &text);
    void SetProgress(int percent);
    // Plots the check's readings after those of the checks before it.
    void ShowCheck(const Verification::Check &check);
    void ClearPlot();

Q_SIGNALS:
    void StopClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // One check on the plot: its errors and its band, from reading number `first` on.
    struct Plotted {
        int first = 0;
        double shift = 0; // a check's points sit beside those of its partner
        QScatterSeries *errors = nullptr;
        QLineSeries *upper = nullptr;
        QLineSeries *lower = nullptr;
        QAreaSeries *band = nullptr;
    };
    Plotted &PlotFor(const Verification::Check &check);
    void FitAxes();

    std::unique_ptr<Ui::TForm3> ui;
    QHash<QString, Plotted> m_plotted;
    QHash<QString, int> m_groups; // first reading number of each point and of the volume run
    QValueAxis *m_x = nullptr;
    QValueAxis *m_y = nullptr;
    int m_next = 1;    // number of the next check's first reading
    double m_span = 1; // largest error or limit plotted, percent
};

// "Набор поверочных точек, м3/ч": four flow rates; 0 leaves a point out.
class TForm18 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm18(QWidget *parent = nullptr);
    ~TForm18() override;

    void SetPoints(const QList<double> &points);
    QList<double> Points() const { return m_points; }

    // Takes the four fields; a field that is not a number keeps the window open.
    void accept() override;

private:
    std::unique_ptr<Ui::TForm18> ui;
    QList<double> m_points;
};
