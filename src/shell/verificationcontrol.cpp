#include "shell/verificationcontrol.h"

#include "auxiliary/protocolpage.h"
#include "auxiliary/tparatfrm.h"
#include "journal/runjournal.h"
#include "link/conventions.h"
#include "link/inifile.h"
#include "link/messages.h"
#include "protocol/autorun.h"
#include "protocol/labdialog.h"
#include "protocol/verificationwindows.h"
#include "record/protocoldocument.h"
#include "shell/tmainfrm.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include <cmath>
#include <limits>

using namespace Verification;

namespace
{
const QString kIni = QStringLiteral("QTM.ini");

QString Typed(double v, int decimals = 4)
{
    return std::isfinite(v) ? FormatDecimals(v, decimals) : QString();
}

// A number typed on the page within its range; an empty field that may stay empty
// gives NaN. False after telling the operator what is wrong.
bool TakeNumber(const QString &text, const QString &what, double lo, double hi, bool mayBeEmpty, double *out)
{
    if (mayBeEmpty && text.trimmed().isEmpty()) {
        *out = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    double v = 0;
    if (!Messages::ToDouble(text.trimmed(), &v))
        return false;
    if (!(v >= lo && v <= hi)) {
        Messages::Show(QStringLiteral("%1: ожидается число от %2 до %3")
                           .arg(what, FormatDecimals(lo, 7), FormatDecimals(hi, 7)));
        return false;
    }
    *out = v;
    return true;
}
} // namespace

VerificationControl::VerificationControl(TMainFrm &main, ProtocolPage *page)
    : QObject(&main), m_main(main), m_page(page), m_bench(main)
{
    m_settings = Verification::Settings::Read(IniFile(kIni));
    chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(&m_main, QStringLiteral("Папка для протоколов"),
                                                 m_settings.folder);
    };
    ShowSettings();
    if (m_page) {
        connect(m_page, &ProtocolPage::StartClicked, this, &VerificationControl::Start);
        connect(m_page, &ProtocolPage::Button13Clicked, this, &VerificationControl::CreateProtocol);
        connect(m_page, &ProtocolPage::PointsClicked, this, &VerificationControl::EditPoints);
        connect(m_page, &ProtocolPage::LabClicked, this, &VerificationControl::EditLab);
    }
}

void VerificationControl::ShowSettings()
{
    if (!m_page)
        return;
    ProtocolSettings p;
    const Verification::Settings &s = m_settings;
    p.SerialNumber = s.serial;
    p.Owner = s.owner;
    p.RegisterNumber = s.registerNumber;
    p.Kind = s.kind;
    p.ProtocolType = s.type;
    p.Verifier = s.verifier;
    p.VisualOk = s.visualOk;
    p.TrialOk = s.trialOk;
    p.QMax = Typed(s.qMax, 3);
    p.PulseWeight = Typed(s.pulseWeight, 7);
    p.Temperature = Typed(s.conditions.temperatureC, 1);
    p.Humidity = Typed(s.conditions.humidityPercent, 1);
    p.Pressure = Typed(s.conditions.pressureKPa, 2);
    p.Voltage = Typed(s.conditions.voltageV, 1);
    p.LimitFlow = Typed(s.Limit(Quantity::Flow), 2);
    p.LimitVolume = Typed(s.Limit(Quantity::Volume), 2);
    p.LimitPulses = Typed(s.Limit(Quantity::Pulses), 2);
    p.LimitCurrent = Typed(s.Limit(Quantity::Current), 2);
    p.Print = m_settings.print;
    p.CloseExcel = m_settings.closeExcel;
    m_page->SetSettings(p, m_settings.verifiers);
}

void VerificationControl::AttachParameters(TParATFrm *window)
{
    m_parameters = window;
    if (!window)
        return;
    const Parameters &p = m_settings.params;
    window->SetSettings({Fmt3(p.transientS), QString::number(p.readings), Fmt3(p.periodS),
                         Fmt3(p.volumeTransientS), Fmt3(p.volumeM3)});
    connect(window, &TParATFrm::Confirmed, this, [this] {
        if (TakeParameters())
            Save();
        else if (m_parameters)
            m_parameters->show();
    });
}

bool VerificationControl::TakeParameters()
{
    if (!m_parameters)
        return true;
    const ParATSettings t = m_parameters->Settings();
    Parameters p;
    int readings = 0;
    if (!Messages::ToDouble(t.TransientQ, &p.transientS) ||
        !Messages::ToInteger(t.ReadingsPerFlow, &readings) ||
        !Messages::ToDouble(t.ReadingPeriod, &p.periodS) ||
        !Messages::ToDouble(t.TransientV, &p.volumeTransientS) || !Messages::ToDouble(t.Volume, &p.volumeM3))
        return false;
    p.readings = readings;
    if (p.transientS < 0 || p.transientS > 3600 || p.readings < 1 || p.readings > 1000 || p.periodS < 0.1 ||
        p.periodS > 3600 || p.volumeTransientS < 0 || p.volumeTransientS > 3600 || p.volumeM3 < 0.001 ||
        p.volumeM3 > 100000) {
        Messages::Show(QStringLiteral("Параметры вне допустимых пределов: переходные процессы 0..3600 с, "
                                      "показаний 1..1000, период 0,1..3600 с, объём 0,001..100000 м3"));
        return false;
    }
    m_settings.params = p;
    return true;
}

bool VerificationControl::TakePage()
{
    if (!m_page)
        return true;
    const ProtocolSettings p = m_page->Settings();
    Verification::Settings s = m_settings;
    Conditions &c = s.conditions;
    // Limits are kept to hundredths, the step the errors are rounded to.
    const auto limit = [](const QString &text, const QString &what, double *out) {
        if (!TakeNumber(text, QStringLiteral("Предел погрешности (%1)").arg(what), 0.01, 100, false, out))
            return false;
        *out = RoundError(*out);
        return true;
    };
    if (!TakeNumber(p.QMax, QStringLiteral("Qmax токового выхода"), 0.001, 100000, false, &s.qMax) ||
        !TakeNumber(p.PulseWeight, QStringLiteral("Вес импульса"), 1e-7, 1000, false, &s.pulseWeight) ||
        !TakeNumber(p.Temperature, QStringLiteral("Температура"), -50, 70, true, &c.temperatureC) ||
        !TakeNumber(p.Humidity, QStringLiteral("Относительная влажность"), 0, 100, true,
                    &c.humidityPercent) ||
        !TakeNumber(p.Pressure, QStringLiteral("Атмосферное давление"), 50, 120, true, &c.pressureKPa) ||
        !TakeNumber(p.Voltage, QStringLiteral("Напряжение питания"), 1, 400, true, &c.voltageV) ||
        !limit(p.LimitFlow, QStringLiteral("расход"), &s.limits[size_t(Quantity::Flow)]) ||
        !limit(p.LimitVolume, QStringLiteral("объем"), &s.limits[size_t(Quantity::Volume)]) ||
        !limit(p.LimitPulses, QStringLiteral("импульсный выход"), &s.limits[size_t(Quantity::Pulses)]) ||
        !limit(p.LimitCurrent, QStringLiteral("токовый выход"), &s.limits[size_t(Quantity::Current)]))
        return false;
    s.serial = p.SerialNumber.trimmed();
    s.owner = p.Owner.trimmed();
    s.registerNumber = p.RegisterNumber.trimmed();
    s.kind = p.Kind;
    s.type = p.ProtocolType;
    s.verifier = p.Verifier.trimmed();
    s.visualOk = p.VisualOk;
    s.trialOk = p.TrialOk;
    s.print = p.Print;
    s.closeExcel = p.CloseExcel;
    s.RememberVerifier();
    m_settings = s;
    return true;
}

void VerificationControl::EditLab()
{
    LabDialog dlg(&m_main);
    dlg.SetLab(m_settings.lab);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_settings.lab = dlg.TakenLab();
    Save();
}

void VerificationControl::Save()
{
    IniFile ini(kIni);
    m_settings.Write(ini);
    ini.Save();
}

void VerificationControl::EditPoints()
{
    TForm18 dlg(&m_main);
    dlg.SetPoints(m_settings.points);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_settings.points = dlg.Points();
    Save();
}

void VerificationControl::Start()
{
    if (m_run)
        return;
    if (!TakePage())
        return;
    Save();
    ShowSettings();
    if (const QString why = m_settings.Problem(); !why.isEmpty()) {
        Messages::Show(why);
        return;
    }
    m_bench.needCurrent = m_settings.WithCurrent();
    m_bench.needPulses = m_settings.WithPulses();
    if (!m_window)
        m_window = new TForm3(&m_main);
    RunJournal journal;
    Record begun;
    begun.settings = m_settings;
    begun.started = QDateTime::currentDateTime();
    journal.Begin(begun);
    AutoRun run(m_bench, m_settings);
    m_run = &run;
    m_stopAsked = false;
    connect(&run, &AutoRun::StepChanged, m_window, &TForm3::SetStep);
    connect(&run, &AutoRun::ProgressChanged, m_window, &TForm3::SetProgress);
    connect(&run, &AutoRun::CheckUpdated, m_window, &TForm3::ShowCheck);
    m_window->ClearPlot();
    const auto stop = connect(m_window, &TForm3::StopClicked, this, &VerificationControl::Stop);
    m_window->SetProgress(0);
    m_window->show();
    Record record = run.Run();
    disconnect(stop);
    m_run = nullptr;
    m_window->hide();
    journal.Finish(record, m_stopAsked);
    if (!record.completed) {
        Messages::Show(run.Failure());
        return;
    }
    m_record = record;
    m_hasRecord = true;
    Messages::Show(record.Announcement());
}

void VerificationControl::Stop()
{
    if (!m_run)
        return;
    m_stopAsked = true;
    m_run->Stop();
}

void VerificationControl::CreateProtocol()
{
    if (!m_hasRecord) {
        Messages::Show(
            QStringLiteral("Нет законченной поверки: протокол создаётся после автоматической поверки"));
        return;
    }
    if (!TakePage())
        return;
    if (m_settings.folder.isEmpty() || !QDir(m_settings.folder).exists()) {
        const QString folder = chooseFolder ? chooseFolder() : QString();
        if (folder.isEmpty())
            return;
        m_settings.folder = folder;
    }
    Save();
    // The record keeps what was set at its run; the output options are today's.
    Record record = m_record;
    record.settings.print = m_settings.print;
    record.settings.closeExcel = m_settings.closeExcel;
    const QDir dir(m_settings.folder);
    const QString pdf = dir.filePath(record.FileStem() + QStringLiteral(".pdf"));
    const QString xlsx = dir.filePath(record.FileStem() + QStringLiteral(".xlsx"));
    for (const QString &error :
         {ProtocolDocument::WritePdf(pdf, record), ProtocolDocument::WriteXlsx(xlsx, record)})
        if (!error.isEmpty()) {
            Messages::Show(error);
            return;
        }
    m_pdf = pdf;
    m_xlsx = xlsx;
    RunJournal::KeepProtocol(record);
    if (record.settings.print) {
        QPrinter printer;
        QPrintDialog dlg(&printer, &m_main);
        if (dlg.exec() == QDialog::Accepted)
            ProtocolDocument::Print(printer, record);
    }
    if (!record.settings.closeExcel)
        QDesktopServices::openUrl(QUrl::fromLocalFile(xlsx));
    Messages::Show(QStringLiteral("Протокол записан:\r%1\r%2").arg(pdf, xlsx));
}
