#include "shell/verificationcontrol.h"

#include "auxiliary/protocolpage.h"
#include "auxiliary/tparatfrm.h"
#include "journal/runjournal.h"
#include "link/conventions.h"
#include "link/inifile.h"
#include "link/messages.h"
#include "protocol/autorun.h"
#include "record/protocoldocument.h"
#include "protocol/verificationwindows.h"
#include "shell/tmainfrm.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

using namespace Verification;

namespace
{
const QString kIni = QStringLiteral("QTM.ini");
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
    }
}

void VerificationControl::ShowSettings()
{
    if (!m_page)
        return;
    ProtocolSettings p;
    p.SerialNumber = m_settings.serial;
    p.Kind = m_settings.kind;
    p.ProtocolType = m_settings.type;
    p.Verifier = m_settings.verifier;
    p.ZeroOffsetPlus = m_settings.plusZero;
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

void VerificationControl::TakePage()
{
    if (!m_page)
        return;
    const ProtocolSettings p = m_page->Settings();
    m_settings.serial = p.SerialNumber.trimmed();
    m_settings.kind = p.Kind;
    m_settings.type = p.ProtocolType;
    m_settings.verifier = p.Verifier.trimmed();
    m_settings.plusZero = p.ZeroOffsetPlus;
    m_settings.print = p.Print;
    m_settings.closeExcel = p.CloseExcel;
    m_settings.RememberVerifier();
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
    TakePage();
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
    Messages::Show(QStringLiteral("Поверка завершена: прибор %1").arg(record.Verdict()));
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
    TakePage();
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
        if (dlg.exec() == QDialog::Accepted) {
            QTextDocument doc;
            ProtocolDocument::Fill(doc, record);
            doc.print(&printer);
        }
    }
    if (!record.settings.closeExcel)
        QDesktopServices::openUrl(QUrl::fromLocalFile(xlsx));
    Messages::Show(QStringLiteral("Протокол записан:\r%1\r%2").arg(pdf, xlsx));
}
