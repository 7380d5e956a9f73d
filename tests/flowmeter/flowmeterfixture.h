#pragma once

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
#include <QTest>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

// What reaches the calculator's inputs, in order.
struct RecordingCalc
{
    explicit RecordingCalc(CalcInputs &in)
    {
        QObject::connect(&in, &CalcInputs::QIzmChanged, &in, [this](double q) { qizm << q; });
        QObject::connect(&in, &CalcInputs::VIzmChanged, &in, [this](double v) { vizm << v; });
    }
    QList<double> qizm, vizm;
};

// The flowmeter link over stand-alone controls, as the main window would wire it.
struct FlowmeterFixture {
    // The windows keep their positions in a settings folder of the test's own.
    QTemporaryDir configDir;
    bool configSet = (qputenv("QTM_CONFIG_DIR", QFile::encodeName(configDir.path())), true);
    FakeMBComMaster &mbcm1 = *new FakeMBComMaster;
    FakeMBComMaster &mbcm = *new FakeMBComMaster;
    BenchSession session{&mbcm, &mbcm1};
    TPribor &pribor = session.Pribor();
    QWidget host;
    FlowmeterControls ui;
    QPointer<TFlowMeterForm> form;
    QPointer<TFlowMeterFormGS> formGS;
    RecordingCalc calc{session.Calc()};
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
        link = std::make_unique<FlowmeterLink>(session, ui, form, formGS, &host);
    }

    // The operator picks a model row.
    void Choose(int row)
    {
        ui.cbxprib->setCurrentIndex(row);
        link->cbxpribChange();
    }

    // The flowmeter link opens (its polling starts) or closes, as its connection event says.
    void Connect(bool up = true)
    {
        mbcm1.SetConnected(up);
        QTRY_COMPARE(session.FlowmeterConnected(), up);
        mbcm1.ClearTasks();
        mbcm1.freed.clear();
        mbcm1.freeAllCount = 0;
    }
    void ConnectBench(bool up = true)
    {
        mbcm.SetConnected(up);
        QTRY_COMPARE(session.BenchConnected(), up);
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
