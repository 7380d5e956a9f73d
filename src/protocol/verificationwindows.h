#pragma once

#include <QDialog>
#include <QList>

#include <memory>

namespace Ui
{
class TForm3;
class TForm18;
} // namespace Ui

// "Автоматическая поверка": the step in words, the progress and "Стоп". It has no
// close button: a run ends by "Стоп" or by itself.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

public Q_SLOTS:
    void SetStep(const QString &text);
    void SetProgress(int percent);

Q_SIGNALS:
    void StopClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::TForm3> ui;
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
