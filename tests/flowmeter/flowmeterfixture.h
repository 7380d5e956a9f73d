#pragma once

#include "flowmeter/calcsink.h"
#include "flowmeter/flowmeterlink.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "support/fakembcommaster.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class RecordingCalc : public ICalcSink
{
public:
    void SetQIzm(double q) override { qizm << q; }
    void SetVIzm(double v) override { vizm << v; }
    void SetSlot(int s) override { slot << s; }
    void SetToki(const QVariant &t) override { toki << t; }
    void SetStatusText(const QString &text) override { status << text; }

    QList<double> qizm, vizm;
    QList<int> slot;
    QVariantList toki;
    QStringList status;
};

// The flowmeter link over stand-alone controls, as the main window would wire it.
struct FlowmeterFixture {
    // The windows keep their positions in a settings folder of the test's own.
    QTemporaryDir configDir;
    bool configSet = (qputenv("QTM_CONFIG_DIR", QFile::encodeName(configDir.path())), true);
    bool priborConnected = false;
    bool serverConnected = false;
    FakeMBComMaster mbcm1;
    FakeMBComMaster mbcm;
    BenchShared shared;
    TPribor pribor;
    QWidget host;
    FlowmeterControls ui;
    QPointer<TFlowMeterForm> form;
    QPointer<TFlowMeterFormGS> formGS;
    RecordingCalc calc;
    std::unique_ptr<FlowmeterLink> link;

    FlowmeterFixture()
    {
        ui.cbxprib = new QComboBox(&host);
        ui.cbxprib->addItems({QStringLiteral("ЛКТВ-210Н"), QStringLiteral("Тевор ДН (портативный)"),
                              QStringLiteral("ГС 130/150  "), QStringLiteral("Тевор ДН (переносной)"),
                              QStringLiteral("ЛТКВ 210Н с АРУ"), QStringLiteral("ГС310"),
                              QStringLiteral("GC")});
        ui.cbxprib->setCurrentIndex(-1);
        ui.edtadrp = new QLineEdit(QStringLiteral("1"), &host);
        ui.Edit4 = new QLineEdit(&host);
        ui.edtac = new QLineEdit(QStringLiteral("???"), &host);
        ui.EdtRashQ1 = new QLineEdit(&host);
        ui.edtnabor = new QLineEdit(QStringLiteral("0"), &host);
        ui.BitBtn7 = new QPushButton(QStringLiteral("Проверка связи"), &host);
        ui.BtnSetup = new QPushButton(QStringLiteral("Настройка прибора"), &host);
        ui.BtnCount1 = new QPushButton(QStringLiteral("Считать"), &host);
        ui.BtnConnect1 = new QPushButton(QStringLiteral("Подключиться"), &host);
        ui.BtnSetup->setVisible(false);
        ui.BtnConnect1->setEnabled(false);
        link = std::make_unique<FlowmeterLink>(&mbcm1, &mbcm, shared, pribor, ui, form, formGS, &host);
        link->SetCalc(&calc);
        link->SetLinkState([this] { return priborConnected; }, [this] { return serverConnected; });
        QObject::connect(&mbcm1, &IMBComMaster::OnExchange, link.get(), &FlowmeterLink::MBCM1Exchange);
    }

    // The operator picks a model row.
    void Choose(int row)
    {
        ui.cbxprib->setCurrentIndex(row);
        link->cbxpribChange();
    }

    void Connect()
    {
        mbcm1.SetConnected(true);
        mbcm1.ClearTasks();
    }

    // The tasks handed over, as "op qid period address type count", without the bookkeeping.
    QStringList Handed() const
    {
        QStringList out;
        for (const FakeMBComMaster::Task &t : mbcm1.tasks)
            out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                       .arg(t.op)
                       .arg(t.qid)
                       .arg(t.period)
                       .arg(t.address)
                       .arg(t.dataType)
                       .arg(t.count);
        return out;
    }
};
