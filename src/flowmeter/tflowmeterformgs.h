#pragma once

#include "link/benchshared.h"
#include "link/imbcommaster.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
namespace Ui
{
class TFlowMeterFormGS;
}

class TFlowMeterFormGS : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int CurRegim READ CurRegim WRITE SetCurRegim)
public:
    explicit TFlowMeterFormGS(QWidget *parent = nullptr);
    ~TFlowMeterFormGS() override;

    IMBComMaster *MBCM = nullptr;
    TPribor *Pribor = nullptr; // the main window's working descriptor
    int Canal = 0;

    QLineEdit *EdtQ() const;
    QLineEdit *EdtV() const;
    QLineEdit *EdtAc() const;
    QLabel *lblStat() const;

    // Operating mode last read: 0 = working, other = verification.
    int CurRegim() const { return FCurRegim; }
    void SetCurRegim(int v);

    // Shows this window and reads the channel count.
    void ShowAll();
    void HideAll();

private:
    std::unique_ptr<Ui::TFlowMeterFormGS> ui;
    int FCurRegim = 0;
};
