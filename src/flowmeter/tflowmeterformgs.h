#pragma once

#include "link/benchshared.h"
#include "link/imbcommaster.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TFlowMeterFormGS;
}

class TFlowMeterFormGS : public QWidget
{
    Q_OBJECT
public:
    explicit TFlowMeterFormGS(QWidget *parent = nullptr);
    ~TFlowMeterFormGS() override;

    IMBComMaster *MBCM = nullptr;
    TPribor *Pribor = nullptr; // the main window's working descriptor
    int Canal = 0;

private:
    std::unique_ptr<Ui::TFlowMeterFormGS> ui;
};
