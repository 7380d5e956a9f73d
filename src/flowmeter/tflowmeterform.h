#pragma once

#include "link/benchshared.h"
#include "link/imbcommaster.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TFlowMeterForm;
}

class TFlowMeterForm : public QWidget
{
    Q_OBJECT
public:
    explicit TFlowMeterForm(QWidget *parent = nullptr);
    ~TFlowMeterForm() override;

    IMBComMaster *MBCM = nullptr;
    TPribor *Pribor = nullptr; // the main window's working descriptor
    int Canal = 0;

private:
    std::unique_ptr<Ui::TFlowMeterForm> ui;
};
